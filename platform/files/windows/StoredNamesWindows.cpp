#include "platform/files/StoredNames.h"

#include <QDir>
#include <QRegularExpression>

#include <windows.h>

namespace trouvimo {

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

} // namespace trouvimo
