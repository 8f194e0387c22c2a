#pragma once

#include "gamedata/GameData.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace trouvimo {

class DataPaths;

// The endings a word's recording may have, in the order they are looked for.
[[nodiscard]] const QStringList& recordingSuffixes();

// The recording of a word: the recording folder, the word, then one of the endings, found as a
// picture is (the family's own folder first, the name's case and accents however stored).
// std::nullopt when the word has none, or spells a path that must not be opened.
[[nodiscard]] std::optional<QString>
findRecording(const DataPaths& paths, const LanguageData& language, const QString& word);

} // namespace trouvimo
