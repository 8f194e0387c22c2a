#pragma once

#include "Display.h"

#include <QSize>

#include <memory>

namespace trouvimo {

// The display backend for the platform Qt runs on: X11Display under X ("xcb"), elsewhere a
// display that is measured but never switched.
[[nodiscard]] std::unique_ptr<Display> makeDisplay();

// Runs the Qt event loop until the primary screen has the given size in pixels or the time
// runs out; true if it has. Qt learns of a mode switch from the server some moments after the
// switch, and a window centred before then would be centred on the old size.
bool waitForScreenSize(QSize size, int timeoutMs);

} // namespace trouvimo
