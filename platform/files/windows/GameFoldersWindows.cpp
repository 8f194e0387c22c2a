#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

Q_CORE_EXPORT extern int qt_ntfs_permission_lookup;

namespace trouvimo {

QString familyFolder()
{
    const QString roaming = qEnvironmentVariable("APPDATA");
    return roaming.isEmpty() ? QString()
                             : QDir::fromNativeSeparators(roaming) + QStringLiteral("/Trouvimo");
}

namespace {

QString commonFolder()
{
    const QString common = qEnvironmentVariable("ProgramData");
    return common.isEmpty() ? QString()
                            : QDir::fromNativeSeparators(common) + QStringLiteral("/Trouvimo");
}

} // namespace

QString classFolder()
{
    return commonFolder();
}

QString computerSettingsFile()
{
    const QString common = commonFolder();
    return common.isEmpty() ? QString() : common + QStringLiteral("/trouvimo.conf");
}

// Windows tells who may write by access lists, which Qt reads only when asked to.
bool canWriteFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    ++qt_ntfs_permission_lookup;
    const bool writable = info.isWritable();
    --qt_ntfs_permission_lookup;
    return writable;
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
