#include "platform/display/DisplayFactory.h"
#include "platform/display/QtScreenDisplay.h"
#include "platform/display/x11/X11Display.h"

#include <QGuiApplication>

namespace trouvimo {

std::unique_ptr<Display> makeDisplay(const QString& programsFolder)
{
    if (QGuiApplication::platformName() != u"xcb")
        return std::make_unique<QtScreenDisplay>();
    const QString guard = programsFolder.isEmpty()
        ? QString()
        : programsFolder + u'/' + QStringLiteral(TROUVIMO_DISPLAY_GUARD_NAME);
    return std::make_unique<X11Display>(guard);
}

} // namespace trouvimo
