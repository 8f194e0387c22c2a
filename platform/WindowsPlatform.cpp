#include "platform/DisplayConnection.h"
#include "platform/DisplayFactory.h"
#include "platform/GameFolders.h"
#include "platform/WindowsDisplay.h"

#include <QDir>
#include <QFontDatabase>

namespace trouvimo {

std::unique_ptr<Display> makeDisplay(const QString& /*programsFolder*/)
{
    return std::make_unique<WindowsDisplay>();
}

QString familyFolder()
{
    const QString roaming = qEnvironmentVariable("APPDATA");
    return roaming.isEmpty() ? QString() : QDir::fromNativeSeparators(roaming) + u"/Trouvimo";
}

// Windows has no Comic Neue: the game carries it and lends it to itself alone, leaving the
// family's system fonts as they were.
void loadCarriedFonts(const QString& dataFolder)
{
    const QDir fonts(dataFolder + u"/fonts");
    for (const QString& file :
         fonts.entryList({QStringLiteral("*.otf"), QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(file));
}

// The Windows display does not go away under a running program; there is nothing to watch.
void endAtOnceWhenTheDisplayConnectionBreaks()
{
}

} // namespace trouvimo
