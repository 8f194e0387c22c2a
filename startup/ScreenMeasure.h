#pragma once

#include <QtGlobal>

#include <optional>

namespace trouvimo {

// The start screen measures the display the way the game always has: the screen size in twips
// and the twips in one pixel are each rounded to the nearest integer (ties to even) before an
// integer division. With 13.09 twips per pixel the divisor is 13, so an 800-pixel screen reads
// as 805. std::nullopt when the count does not fit the 16-bit value that keeps it.
[[nodiscard]] std::optional<qint16> measurePixels(double twips, double twipsPerPixel);

// The display is switched to 800 x 600 only when both dimensions differ from it: a screen that
// is already 800 wide or 600 high is left alone.
[[nodiscard]] constexpr bool needsModeSwitch(qint16 width, qint16 height)
{
    return width != 800 && height != 600;
}

} // namespace trouvimo
