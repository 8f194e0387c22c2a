#pragma once

#include "platform/display/Display.h"

namespace trouvimo {

// The display as Qt sees it, for platforms where the game cannot switch modes (Wayland, the
// offscreen platform, an X server without RandR): it measures the primary screen and switches
// nothing.
class QtScreenDisplay final : public Display {
public:
    [[nodiscard]] QSize monitorSize() const override;
    bool switchTo(QSize size) override;
    void restore() override;
};

} // namespace trouvimo
