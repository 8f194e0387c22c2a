#pragma once

namespace trouvimo {

// The screen as the platform reports it: its size in twips and the twips in one pixel, both
// fractional, as the start screen measures them.
struct ScreenMetrics {
    double widthTwips = 0.0;
    double heightTwips = 0.0;
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;
};

// Measures the display and switches its mode. setMode() asks for a width and a height in pixels
// and nothing else (no depth, no refresh rate); when the platform refuses, the display simply
// stays as it was.
class Display {
public:
    virtual ~Display() = default;
    [[nodiscard]] virtual ScreenMetrics metrics() const = 0;
    virtual void setMode(int width, int height) = 0;
};

} // namespace trouvimo
