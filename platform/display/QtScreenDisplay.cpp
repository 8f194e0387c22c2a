#include "platform/display/QtScreenDisplay.h"

#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace trouvimo {

QSize QtScreenDisplay::monitorSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    // Qt counts in device-independent pixels; a mode is counted in the monitor's own.
    const QSize logical = screen->geometry().size();
    const double ratio = screen->devicePixelRatio();
    return {roundToPixels(logical.width() * ratio), roundToPixels(logical.height() * ratio)};
}

bool QtScreenDisplay::switchTo(QSize /*size*/)
{
    return false;
}

void QtScreenDisplay::restore()
{
}

} // namespace trouvimo
