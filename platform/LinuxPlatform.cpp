#include "platform/Console.h"
#include "platform/DisplayFactory.h"
#include "platform/GameFolders.h"
#include "platform/QtScreenDisplay.h"
#include "platform/StoredNames.h"
#include "platform/X11Display.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

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

QString familyFolder()
{
    // Without a home there is no folder of the family's own, rather than one under the root.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return userData.isEmpty() ? QString() : userData + QStringLiteral("/trouvimo");
}

std::optional<QString> storedEntryName(const QString& directory, const QString& component)
{
    if (!QFileInfo::exists(directory + u'/' + component))
        return std::nullopt;
    return component;
}

void printToTheCallersConsole()
{
}

// The package depends on the system's Comic Neue.
void loadCarriedFonts(const QString& /*dataFolder*/)
{
}

} // namespace trouvimo
