#include "platform/files/StoredNames.h"

#include <QFileInfo>

namespace trouvimo {

std::optional<QString> storedEntryName(const QString& directory, const QString& component)
{
    if (!QFileInfo::exists(directory + u'/' + component))
        return std::nullopt;
    return component;
}

} // namespace trouvimo
