#pragma once

#include "Display.h"

namespace trouvimo {

// The display as Qt sees it, for platforms where the game cannot switch modes (Wayland, the
// offscreen platform, an X server without RandR): metrics() measures the primary screen and
// setMode() leaves it as it is.
class QtScreenDisplay final : public Display {
public:
    [[nodiscard]] ScreenMetrics metrics() const override;
    void setMode(int width, int height) override;
};

// Twips in one pixel at the primary screen's logical resolution (15 at 96 dots per inch).
[[nodiscard]] double twipsPerPixelX();
[[nodiscard]] double twipsPerPixelY();

} // namespace trouvimo
