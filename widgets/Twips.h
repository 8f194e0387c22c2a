#pragma once

#include <QRect>

#include <cmath>

namespace trouvimo {

// The nearest whole pixel, halves away from zero: every size the windows compute from the design
// rounds the same way.
[[nodiscard]] inline int roundToPixels(double value)
{
    return static_cast<int>(std::lround(value));
}

// Window designs are written in twips, 15 to the pixel at 96 dots per inch. A scale below 1
// shrinks the whole design to fit a small screen; the edges are rounded separately so that
// neighbouring controls keep sharing an edge.
inline constexpr double kTwipsPerPixel = 15.0;

[[nodiscard]] inline int twipsToPixels(double twips, double scale = 1.0)
{
    return roundToPixels(twips / kTwipsPerPixel * scale);
}

[[nodiscard]] inline QRect twipsRect(double left, double top, double width, double height,
                                     double scale = 1.0)
{
    const int x = twipsToPixels(left, scale);
    const int y = twipsToPixels(top, scale);
    return {x, y, twipsToPixels(left + width, scale) - x, twipsToPixels(top + height, scale) - y};
}

[[nodiscard]] inline QRect twipsRect(const auto& rect, double scale = 1.0)
{
    return twipsRect(rect.left, rect.top, rect.width, rect.height, scale);
}

// A font size given in points becomes a pixel size at the design's 96 dots per inch, so that
// text keeps its proportion to the twips layout whatever the screen reports as its density.
[[nodiscard]] inline int pointsToPixels(double points, double scale = 1.0)
{
    return roundToPixels(points * 96.0 / 72.0 * scale);
}

} // namespace trouvimo
