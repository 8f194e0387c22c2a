#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFileInfo>

namespace trouvimo {

GameFolders findGameFolders(const QString& executableDirectory)
{
    const QDir executable(executableDirectory);
    const QString ownFolder = familyFolder();
    const QString classroom = classFolder();
    const QString settings = computerSettingsFile();

    // The build tree has no installed data folder above the executable; an installation always
    // has one.
    const QString installedData =
        QDir::cleanPath(executable.filePath(QStringLiteral(TROUVIMO_INSTALLED_DATA)));
    if (!QFileInfo(installedData).isDir())
        return GameFolders {executable.absolutePath(), executable.absolutePath(), ownFolder,
                            classroom, settings};
    return GameFolders {
        installedData,
        QDir::cleanPath(executable.filePath(QStringLiteral(TROUVIMO_INSTALLED_PROGRAMS))),
        ownFolder,
        classroom,
        settings,
    };
}

QStringList GameFolders::lendingFolders(bool familyWords) const
{
    QStringList folders;
    for (const QString& folder : {familyWords ? own : QString(), classroom}) {
        if (!folder.isEmpty())
            folders.append(folder);
    }
    return folders;
}

QString firstTrouvimoFolder(const QString& folders, const QString& fallback)
{
    QStringList listed = folders.split(u':', Qt::SkipEmptyParts);
    if (listed.isEmpty())
        listed.append(fallback);
    for (const QString& folder : listed) {
        if (QFileInfo(folder + QStringLiteral("/trouvimo")).isDir())
            return folder + QStringLiteral("/trouvimo");
    }
    return listed.first() + QStringLiteral("/trouvimo");
}

} // namespace trouvimo
