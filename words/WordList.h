#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace trouvimo {

// How reading a word list ended.
enum class ListStatus {
    Read, // the whole file was read
    Missing, // the file does not exist: the board shows its message and closes
    Stopped, // any other failure (a directory, no permission, a read error, the 32768th line):
             // reading stopped silently and what was read until then is kept
};

// How a list's text is stored.
enum class ListEncoding {
    Windows1252,
    Utf8,
    Utf8WithMark, // starts with the byte-order mark
};

// What a list's lines end with, as far as the list was read.
enum class LineEnds {
    None, // a single line
    CrLf, // the list holds at least one CR LF: lines end at CR, and an LF alone is text
    Lf, // no CR LF, at least one LF: lines end at LF, and at a CR alone
    Cr, // no LF at all: lines end at CR
};

struct ListFormat {
    ListEncoding encoding = ListEncoding::Windows1252;
    LineEnds lineEnds = LineEnds::None;
};

// The word table as the board keeps it: entries holds the entries 0..count, entry 0 empty and
// entry k the word of the k-th line of the file. When no line is read entries is left as it was.
// Reading resizes the table to 0..n keeping what the remaining entries held, then writes the
// words into 1..n: entry 0 is empty because the board's table starts empty.
struct WordTable {
    QList<QString> entries;
    qint16 count = 0;
    ListFormat format;
};

// Reads the list file at `path` into `table`.
//
// A line ends at CR, an LF right after that CR belongs to the line end, a lone LF is an ordinary
// character; but in a file without a single CR LF, as a Linux or Mac editor writes it, an LF ends
// a line as well. The last line needs no line end and a final line end adds no entry. Spaces and
// tabs around a line's text are not part of its word; case is kept. At most 32767 lines are
// taken. The bytes are Windows-1252, unless the file starts with a UTF-8 byte-order mark (which
// is not part of the first line) or its lines that are taken are valid UTF-8 with at least one
// multi-byte sequence. UTF-8 words are brought to the composed form (NFC), so that "été" saved
// with its accents apart is the same word as "été" typed on Windows.
//
// count is set to 0 first, whatever happens. Missing when the path names nothing (a dangling
// link included); Stopped when the file cannot be opened (nothing read), when a read fails (the
// lines before are kept and the line being read counts as an empty entry) or at the cap.
ListStatus readWordList(const QString& path, WordTable& table);

// The same rules applied to bytes already in memory (the file reader and the fuzz target share
// it). Never fails: returns Stopped only when the 32767-line cap was hit.
ListStatus parseWordList(QByteArrayView bytes, WordTable& table);

// The most lines the game reads from a list.
inline constexpr qsizetype kMaxListLines = 32767;

// One line of a list as the rules above cut it, in the list's bytes: its text, its line end, and
// where the next line starts.
struct ListLine {
    qsizetype begin = 0;
    qsizetype end = 0; // where its line end starts, or the end of the bytes
    qsizetype next = 0; // past its line end
};

// A whole list cut into lines by the rules above, with no cap: what an editor of the list needs
// to change one line and keep every other byte as it was. The encoding is the one the game reads
// the list in, except that a list whose lines the game reads are plain ASCII is UTF-8 when the
// lines past them are.
struct ListLayout {
    ListFormat format;
    qsizetype textStart = 0; // past the byte-order mark
    std::vector<ListLine> lines;
    // Whether every byte is ASCII, which both encodings read alike.
    bool ascii = true;
};

[[nodiscard]] ListLayout layOutList(QByteArrayView bytes);

// The entry the game makes of one line's text: spaces and tabs around it dropped, decoded, and
// composed (NFC) when it is UTF-8.
[[nodiscard]] QString entryOf(QByteArrayView lineText, ListEncoding encoding);

// How many lines the whole list holds, cut by the rules above but with no cap: the lines the game
// reads and those it leaves unread, for the check to tell them apart. The line ends are those of
// the whole list (a CR LF anywhere makes every lone LF a character).
[[nodiscard]] qint64 countListLines(QByteArrayView bytes);

// The same for the list file at `path`, read to its end piece by piece. std::nullopt when it is
// no plain file, cannot be read to its end, or is larger than any list (a gigabyte).
[[nodiscard]] std::optional<qint64> countListFileLines(const QString& path);

} // namespace trouvimo
