#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace trouvimo {

QString familyFolder()
{
    // Without a home there is no folder of the family's own, rather than one under the root.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return userData.isEmpty() ? QString() : userData + QStringLiteral("/trouvimo");
}

QString classFolder()
{
    return firstTrouvimoFolder(qEnvironmentVariable("XDG_DATA_DIRS"),
                               QStringLiteral("/usr/local/share"));
}

QString computerSettingsFile()
{
    return firstTrouvimoFolder(qEnvironmentVariable("XDG_CONFIG_DIRS"), QStringLiteral("/etc/xdg"))
        + QStringLiteral("/trouvimo.conf");
}

// Qt asks the system itself (access()), which knows the user's groups and any access list.
bool canWriteFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// The system's folders are the administrator's (root's), and a folder made in them is too.
bool keepComputerFolder(const QString& folder)
{
    return QDir().mkpath(folder);
}

// The package depends on the system's Comic Neue.
void loadCarriedFonts(const QString& /*dataFolder*/)
{
}

QByteArray newTextLineEnd()
{
    return QByteArrayLiteral("\n");
}

} // namespace trouvimo
