#pragma once

#include "gamedata/GameData.h"
#include "platform/sound/RecordingProbe.h"
#include "settings/ComputerSettings.h"

#include "words/WordList.h"

#include <QHash>
#include <QLocale>
#include <QStringList>

#include <vector>

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

// Why the game skips a line of a list, or plays its word twice.
enum class EntryProblem {
    None,
    Empty, // no letter
    TooLong, // more letters than the board has slots
    Duplicate, // the word of an earlier line, whatever the case
};

struct EntryVerdict {
    EntryProblem problem = EntryProblem::None;
    qsizetype letters = 0; // of an entry too long: all its letters
    int firstLine = 0; // of a duplicate: the line (from 1) where the word first comes
    bool loneLineFeed = false; // a playable entry that holds an LF, in a list of CR LF line ends
};

// The check's verdict on each entry of the table, entry k at index k - 1: the one place that
// decides which lines the game plays as words, for the check and for the window that edits lists.
[[nodiscard]] std::vector<EntryVerdict> judgeEntries(const WordTable& table);

// What the check finds about each line of a list (from 1) read into `table`, in plain words
// without the list's name or the line's number: the entry skipped and why, a duplicate, a picture
// or a recording of the word that the game cannot use. A word without a picture is left out: the
// window shows it.
using FindingsByLine = QHash<int, QStringList>;
[[nodiscard]] FindingsByLine findingsByLine(const DataPaths& paths, const LanguageData& language,
                                            const WordTable& table, Language speaking,
                                            const RecordingProber& probe);

// What the check says of a line past those the game reads.
[[nodiscard]] QString unreadLineFinding(Language speaking);

// The report speaks French to a French locale and English to any other.
[[nodiscard]] Language reportLanguage(const QLocale& locale);

// `trouvimo --check`: prints the report for the user's locale on the standard output and returns
// the exit status, 1 when a problem was found, whatever the detail printed. Needs a
// QCoreApplication, and no display.
int runDataCheck(const DataPaths& paths, const RecordingProber& probe,
                 const SettingsFile& settings = {}, CheckDetail detail = CheckDetail::Full);

} // namespace trouvimo
