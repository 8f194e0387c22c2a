#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFileInfo>

namespace trouvimo {

GameFolders findGameFolders(const QString& executableDirectory)
{
    const QDir executable(executableDirectory);
    const QString ownFolder = familyFolder();

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
