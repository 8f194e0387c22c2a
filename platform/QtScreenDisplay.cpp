#include "platform/QtScreenDisplay.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace trouvimo {

QSize QtScreenDisplay::monitorSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    // Qt counts in device-independent pixels; a mode is counted in the monitor's own.
    const QSize logical = screen->geometry().size();
    const double ratio = screen->devicePixelRatio();
    return {static_cast<int>(std::lround(logical.width() * ratio)),
            static_cast<int>(std::lround(logical.height() * ratio))};
}

bool QtScreenDisplay::switchTo(QSize /*size*/)
{
    return false;
}

void QtScreenDisplay::restore()
{
}

} // namespace trouvimo
