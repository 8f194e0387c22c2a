#pragma once

#include "gamedata/GameData.h"
#include "platform/sound/RecordingProbe.h"
#include "settings/ComputerSettings.h"

#include <QLocale>
#include <QStringList>

namespace trouvimo {

class DataPaths;

// What checking the game's data found: for each word list the lines that sum it up (how it is
// written, the lines the game leaves unread, how many of its words have no picture and how many
// have a recording), and one line for each problem; the last line counts the problems.
struct DataReport {
    QStringList lines;
    // The same report without a line for each entry, picture or recording: the lines about each
    // list as a whole, and the count of the problems.
    QStringList summary;
    int problems = 0;
};

// How much of the report `trouvimo --check` prints: every line, or the summary alone
// (`trouvimo --check --summary`), for lists of tens of thousands of words.
enum class CheckDetail {
    Full,
    Summary,
};

// The computer's settings as the game read them, for the lines it left aside.
struct SettingsFile {
    QString file;
    SettingsRead read;
};

// Reads both word lists and the pictures and recordings of their words where the game would find
// them, writing nothing, and says in `speaking` what stands in a child's way: entries the game
// skips, duplicates, words without a picture, pictures or recordings without a word, pictures it
// cannot show, recordings it cannot play. A word without a recording is no problem: speech
// synthesis says it. Before them, each line of the computer's settings that the game leaves aside.
[[nodiscard]] DataReport checkData(const DataPaths& paths, Language speaking,
                                   const RecordingProber& probe, const SettingsFile& settings = {});

// The report speaks French to a French locale and English to any other.
[[nodiscard]] Language reportLanguage(const QLocale& locale);

// `trouvimo --check`: prints the report for the user's locale on the standard output and returns
// the exit status, 1 when a problem was found, whatever the detail printed. Needs a
// QCoreApplication, and no display.
int runDataCheck(const DataPaths& paths, const RecordingProber& probe,
                 const SettingsFile& settings = {}, CheckDetail detail = CheckDetail::Full);

} // namespace trouvimo
