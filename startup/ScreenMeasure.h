#pragma once

#include <QSize>

namespace trouvimo {

// The display is switched to 800 x 600 only when both dimensions differ from it: a screen that
// is already 800 wide or 600 high is left alone, and so is one that cannot be measured.
[[nodiscard]] constexpr bool needsModeSwitch(QSize monitor)
{
    return !monitor.isEmpty() && monitor.width() != 800 && monitor.height() != 600;
}

} // namespace trouvimo
