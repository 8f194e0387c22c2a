#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFontDatabase>

namespace trouvimo {

QString familyFolder()
{
    const QString roaming = qEnvironmentVariable("APPDATA");
    return roaming.isEmpty() ? QString()
                             : QDir::fromNativeSeparators(roaming) + QStringLiteral("/Trouvimo");
}

// Windows has no Comic Neue: the game carries it and lends it to itself alone, leaving the
// family's system fonts as they were.
void loadCarriedFonts(const QString& dataFolder)
{
    const QDir fonts(dataFolder + QStringLiteral("/fonts"));
    for (const QString& file :
         fonts.entryList({QStringLiteral("*.otf"), QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(file));
}

QByteArray newTextLineEnd()
{
    return QByteArrayLiteral("\r\n");
}

} // namespace trouvimo
