#include "platform/files/GameFolders.h"
#include "platform/files/windows/ComputerFolderAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

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

// Setting the folder's access list passes it down to what the folder already holds.
bool keepComputerFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kComputerFolderAccess, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    std::wstring path = QDir::toNativeSeparators(folder).toStdWString();
    const bool kept = GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) && present
        && SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, list, nullptr)
            == ERROR_SUCCESS;
    LocalFree(descriptor);
    return kept;
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
