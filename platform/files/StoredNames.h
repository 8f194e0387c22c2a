#pragma once

#include <QString>

#include <optional>

namespace trouvimo {

// The name under which `directory` stores the entry spelled `component`, when there is one: the
// component itself where the file system tells names apart by case (Linux); where it does not
// (Windows), the name as it is stored, whatever the case asked for. std::nullopt for a name that
// no entry bears, and for one no entry can bear.
[[nodiscard]] std::optional<QString> storedEntryName(const QString& directory,
                                                     const QString& component);

} // namespace trouvimo
