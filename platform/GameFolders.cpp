#include "platform/GameFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace trouvimo {

GameFolders findGameFolders(const QString& executableDirectory)
{
    const QDir executable(executableDirectory);
    // Without a home there is no folder of the family's own, rather than one under the root.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString ownFolder =
        userData.isEmpty() ? QString() : userData + QStringLiteral("/trouvimo");

    // The build tree has no installed data folder above the executable; an installation always
    // has one.
    const QString installedData =
        QDir::cleanPath(executable.filePath(QStringLiteral(TROUVIMO_INSTALLED_DATA)));
    if (!QFileInfo(installedData).isDir())
        return GameFolders {executable.absolutePath(), executable.absolutePath(), ownFolder};
    return GameFolders {
        installedData,
        QDir::cleanPath(executable.filePath(QStringLiteral(TROUVIMO_INSTALLED_PROGRAMS))),
        ownFolder,
    };
}

} // namespace trouvimo
