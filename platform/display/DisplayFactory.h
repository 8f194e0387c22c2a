#pragma once

#include "platform/display/Display.h"

#include <QSize>
#include <QString>

#include <memory>

namespace trouvimo {

// The display backend for the platform the game runs on: on Linux X11Display under X ("xcb"),
// guarded by the guardian program in programsFolder (none without one), elsewhere a display that
// is measured but never switched; on Windows WindowsDisplay.
[[nodiscard]] std::unique_ptr<Display> makeDisplay(const QString& programsFolder = {});

// Makes Qt draw one design pixel to one device pixel; call it before the application object
// exists. The windows are designed for the 800 x 600 mode the game switches to: a desktop scale
// (a high-resolution laptop's 2x) would draw them twice too large for that mode. A scale or a
// font resolution set for the game alone, in its environment, is kept.
void drawInDevicePixels();

// Runs the Qt event loop until the primary screen has the given size in pixels or the time
// runs out; true if it has. Qt learns of a mode switch from the server some moments after the
// switch, and a window centred before then would be centred on the old size.
bool waitForScreenSize(QSize size, int timeoutMs);

} // namespace trouvimo
