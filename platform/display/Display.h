#pragma once

#include <QSize>

namespace trouvimo {

// The monitor the game shows on, measured and switched in its own device pixels. Everything
// the game changes it puts back: restore() returns the display to exactly what the first
// switch found, whatever was asked since.
class Display {
public:
    virtual ~Display() = default;

    // The size of the primary monitor in device pixels; empty when it cannot be measured.
    [[nodiscard]] virtual QSize monitorSize() const = 0;

    // Switches the primary monitor alone to a mode of that size, keeping its place and the
    // other monitors as they are. False when the platform cannot or the monitor has no such
    // mode; the display is then left as it was.
    virtual bool switchTo(QSize size) = 0;

    // Returns to the configuration in use before the first switch; nothing when none was made.
    virtual void restore() = 0;
};

} // namespace trouvimo
