#pragma once

#include "gamedata/GameData.h"

#include <QLocale>
#include <QStringList>

namespace trouvimo {

class DataPaths;

// What checking the game's data found: for each word list a line saying how it is written, and
// one line for each problem.
struct DataReport {
    QStringList lines;
    int problems = 0;
};

// Reads both word lists and the pictures of their words where the game would find them, writing
// nothing, and says in `speaking` what stands in a child's way: entries the game skips,
// duplicates, words without a picture, pictures without a word, pictures it cannot show.
[[nodiscard]] DataReport checkData(const DataPaths& paths, Language speaking);

// The report speaks French to a French locale and English to any other.
[[nodiscard]] Language reportLanguage(const QLocale& locale);

// `trouvimo --check`: prints the report for the user's locale on the standard output and returns
// the exit status, 1 when a problem was found. Needs a QCoreApplication, and no display.
int runDataCheck(const DataPaths& paths);

} // namespace trouvimo
