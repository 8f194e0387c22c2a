#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace trouvimo {

// The letters of a word as a reader sees them, one per tile: "É" is one letter whether it is
// stored as one character or as an E and an accent, and so is an emoji built of several
// characters. (Unicode calls them grapheme clusters.)
[[nodiscard]] QList<QString> lettersOf(const QString& word);

// How many letters `word` has, counted no further than `limit`: a word with more letters gives
// `limit`. A line of ten megabytes is thus judged by its first few characters.
[[nodiscard]] qsizetype letterCount(QStringView word, qsizetype limit);

} // namespace trouvimo
