#pragma once

#include "platform/display/Display.h"

#include <string>

namespace trouvimo {

// The primary monitor under Windows, measured and switched in its own device pixels with
// ChangeDisplaySettingsEx. The switch is made for the game alone (CDS_FULLSCREEN): Windows
// itself drops it when the game's process ends, however it ends, so no guardian is needed.
// Other monitors keep their modes.
class WindowsDisplay final : public Display {
public:
    WindowsDisplay();
    ~WindowsDisplay() override;
    WindowsDisplay(const WindowsDisplay&) = delete;
    WindowsDisplay& operator=(const WindowsDisplay&) = delete;

    [[nodiscard]] QSize monitorSize() const override;
    bool switchTo(QSize size) override;
    void restore() override;

private:
    // The device name of the primary monitor ("\\.\DISPLAY1"), empty when it cannot be found.
    std::wstring m_device;
    bool m_switched = false;
};

} // namespace trouvimo
