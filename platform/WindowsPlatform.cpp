#include "platform/Console.h"
#include "platform/DisplayConnection.h"
#include "platform/DisplayFactory.h"
#include "platform/GameFolders.h"
#include "platform/StoredNames.h"
#include "platform/WindowsDisplay.h"

#include <QDir>
#include <QFontDatabase>
#include <QRegularExpression>

#include <cstdio>

#include <windows.h>

namespace trouvimo {

std::unique_ptr<Display> makeDisplay(const QString& /*programsFolder*/)
{
    return std::make_unique<WindowsDisplay>();
}

QString familyFolder()
{
    const QString roaming = qEnvironmentVariable("APPDATA");
    return roaming.isEmpty() ? QString()
                             : QDir::fromNativeSeparators(roaming) + QStringLiteral("/Trouvimo");
}

std::optional<QString> storedEntryName(const QString& directory, const QString& component)
{
    // FindFirstFile would take these as wildcards or stream names; no entry bears them.
    if (component.contains(QRegularExpression(QStringLiteral(R"([*?<>:"|])"))))
        return std::nullopt;
    const QString path = QDir::toNativeSeparators(directory + u'/' + component);
    WIN32_FIND_DATAW found {};
    const HANDLE search = FindFirstFileW(reinterpret_cast<const wchar_t*>(path.utf16()), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FindClose(search);
    return QString::fromWCharArray(found.cFileName);
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

void printToTheCallersConsole()
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE
        && GetFileType(output) != FILE_TYPE_UNKNOWN)
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS) == FALSE)
        return;
    SetConsoleOutputCP(CP_UTF8);
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

// The Windows display does not go away under a running program; there is nothing to watch.
void endAtOnceWhenTheDisplayConnectionBreaks()
{
}

} // namespace trouvimo
