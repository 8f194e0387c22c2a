#include "words/WordList.h"

#include "words/TextDecoding.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <vector>

namespace trouvimo {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr QByteArrayView kCrLf {"\r\n"};

// The line count is a 16-bit signed integer: the line that would take it past this is not read.
constexpr qsizetype kMaxLines = std::numeric_limits<qint16>::max();
static_assert(kMaxLines == kMaxListLines);

constexpr qint64 kFirstRead = qint64 {4} * 1024 * 1024;
// No word list comes near this; a file that does (a huge sparse file, a line that never ends) is
// read this far and then treated as a read that failed.
constexpr qsizetype kMaxBytes = qsizetype {16} * 1024 * 1024;
constexpr qsizetype kReadChunk = qsizetype {256} * 1024;

// Finds the end of the last line that can be taken while the bytes come in, so that reading can
// stop there: a huge list then costs no more than its first 32767 lines. Only a list known to hold
// a CR LF can stop early: in one without, an LF ends a line too, and a CR LF further on would
// still change how every line ends.
class LineCapWatch {
public:
    // Looks at the bytes added since the last call; true once `bytes` reaches past that line.
    bool reachedIn(QByteArrayView bytes)
    {
        if (!m_crLfSeen) {
            // A CR LF may straddle two reads.
            const qsizetype from = std::max<qsizetype>(m_crLfScanned - 1, 0);
            m_crLfSeen = bytes.indexOf(kCrLf, from) >= 0;
            m_crLfScanned = bytes.size();
        }
        return m_crLfSeen && lastLineSettled(bytes);
    }

private:
    bool lastLineSettled(QByteArrayView bytes)
    {
        while (m_crSeen < kMaxLines) {
            const qsizetype cr = bytes.indexOf(kCarriageReturn, m_scanned);
            if (cr < 0) {
                m_scanned = bytes.size();
                return false;
            }
            ++m_crSeen;
            m_scanned = cr + 1;
        }
        // The byte after that line's CR settles both whether an LF belongs to it and whether
        // another line follows.
        const qsizetype afterCr = m_scanned;
        if (bytes.size() <= afterCr)
            return false;
        return bytes[afterCr] != kLineFeed || bytes.size() > afterCr + 1;
    }

    bool m_crLfSeen = false;
    qsizetype m_crLfScanned = 0;
    qsizetype m_crSeen = 0;
    qsizetype m_scanned = 0;
};

// How the bytes on hand relate to the file they came from.
enum class Ending {
    Complete, // the bytes are the whole file
    Interrupted, // reading failed after these bytes
};

LineEnds lineEndsOf(QByteArrayView bytes)
{
    if (bytes.contains(kCrLf))
        return LineEnds::CrLf;
    if (bytes.contains(kLineFeed))
        return LineEnds::Lf;
    if (bytes.contains(kCarriageReturn))
        return LineEnds::Cr;
    return LineEnds::None;
}

// Where the line starting at `from` ends: its first CR, and in a list of LF line ends its first
// LF if that comes sooner; the end of the bytes when there is neither.
qsizetype lineEndFrom(QByteArrayView bytes, qsizetype from, LineEnds lineEnds)
{
    if (lineEnds != LineEnds::Lf) {
        const qsizetype cr = bytes.indexOf(kCarriageReturn, from);
        return cr < 0 ? bytes.size() : cr;
    }
    const auto* const begin = bytes.begin() + from;
    return from
        + (std::find_if(begin, bytes.end(),
                        [](char c) { return c == kCarriageReturn || c == kLineFeed; })
           - begin);
}

bool endsMidLine(QByteArrayView bytes, LineEnds lineEnds)
{
    if (bytes.empty() || bytes.endsWith(kCarriageReturn) || bytes.endsWith(kCrLf))
        return false;
    return lineEnds != LineEnds::Lf || !bytes.endsWith(kLineFeed);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where one line's text lies in the bytes, its line end excluded.
struct LineSpan {
    qsizetype begin = 0;
    qsizetype end = 0;

    // Spaces and tabs are single bytes of the same value in both encodings, so the word can be
    // cut out of the bytes before they are decoded.
    [[nodiscard]] LineSpan trimmed(QByteArrayView bytes) const
    {
        LineSpan word = *this;
        while (word.begin < word.end && isBlank(bytes[word.begin]))
            ++word.begin;
        while (word.end > word.begin && isBlank(bytes[word.end - 1]))
            --word.end;
        return word;
    }
};

// Cuts the lines on the bytes, at most `most` of them, and returns where the next one would start.
// In both encodings a CR or LF byte is that character and nothing else. Where an LF ends lines no
// CR LF exists, so the LF skipped after a CR only ever belongs to a CR LF.
qsizetype cutLines(QByteArrayView bytes, LineEnds lineEnds, qsizetype most,
                   std::vector<LineSpan>& lines)
{
    qsizetype pos = 0;
    while (pos < bytes.size() && std::ssize(lines) < most) {
        const qsizetype end = lineEndFrom(bytes, pos, lineEnds);
        lines.push_back({pos, end});
        pos = end;
        if (pos < bytes.size())
            ++pos;
        if (end < bytes.size() && bytes[end] == kCarriageReturn && pos < bytes.size()
            && bytes[pos] == kLineFeed)
            ++pos;
    }
    return pos;
}

QString decodedEntry(QByteArrayView text, bool utf8)
{
    return utf8 ? decodeUtf8(text).normalized(QString::NormalizationForm_C)
                : decodeWindows1252(text);
}

ListStatus parse(QByteArrayView bytes, Ending ending, WordTable& table)
{
    table.count = 0;

    ListFormat format;
    if (bytes.startsWith(kUtf8Bom)) {
        format.encoding = ListEncoding::Utf8WithMark;
        bytes = bytes.sliced(kUtf8Bom.size());
    }
    format.lineEnds = lineEndsOf(bytes);

    std::vector<LineSpan> lines;
    const qsizetype pos = cutLines(bytes, format.lineEnds, kMaxLines, lines);
    const bool capped = pos < bytes.size();

    // The lines past the cap are never read, so they take no part in choosing the encoding.
    const QByteArrayView taken = bytes.first(pos);
    if (format.encoding == ListEncoding::Windows1252 && looksLikeUtf8(taken))
        format.encoding = ListEncoding::Utf8;
    table.format = format;

    // A read that fails counts the line it was reading and leaves that entry empty.
    const bool interrupted = ending == Ending::Interrupted && !capped;
    if (interrupted) {
        if (endsMidLine(taken, format.lineEnds))
            lines.back().end = lines.back().begin;
        else if (std::ssize(lines) < kMaxLines)
            lines.push_back({pos, pos});
    }

    const ListStatus status = capped || interrupted ? ListStatus::Stopped : ListStatus::Read;
    if (lines.empty())
        return status;

    // Entries that survive the resize keep what they held, as in a table grown line by line;
    // the words then overwrite entries 1..n.
    const bool utf8 = format.encoding != ListEncoding::Windows1252;
    table.entries.resize(std::ssize(lines) + 1);
    for (qsizetype i = 0; i < std::ssize(lines); ++i) {
        const LineSpan word = lines[static_cast<std::size_t>(i)].trimmed(bytes);
        table.entries[i + 1] = decodedEntry(bytes.sliced(word.begin, word.end - word.begin), utf8);
    }
    table.count = static_cast<qint16>(lines.size());
    return status;
}

// Counts a list's lines as parse() cuts them, the bytes coming in one piece after another (the
// byte-order mark already left out): every CR ends a line; an LF ends one too where the list holds
// no CR LF at all, and otherwise only the CR LF it belongs to; what follows the last line end is a
// line when it is not empty.
class LineTally {
public:
    void add(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            if (c == kCarriageReturn) {
                ++m_crs;
                m_lastCr = m_size;
                m_lineFeedAfterLastCr = false;
            } else if (c == kLineFeed) {
                ++m_lineFeeds;
                m_lastLineFeed = m_size;
                if (m_lastCr >= 0 && m_lastCr == m_size - 1) {
                    ++m_crLfs;
                    m_lineFeedAfterLastCr = true;
                }
            }
            ++m_size;
        }
    }

    [[nodiscard]] qint64 lines() const
    {
        qint64 ends = 0;
        qint64 lastEnd = 0; // where the text after the last line end starts
        if (m_crLfs > 0) {
            ends = m_crs;
            lastEnd = m_lastCr + 1 + (m_lineFeedAfterLastCr ? 1 : 0);
        } else if (m_lineFeeds > 0) {
            ends = m_crs + m_lineFeeds;
            lastEnd = std::max(m_lastCr, m_lastLineFeed) + 1;
        } else if (m_crs > 0) {
            ends = m_crs;
            lastEnd = m_lastCr + 1;
        }
        return ends + (m_size > lastEnd ? 1 : 0);
    }

private:
    qint64 m_size = 0;
    qint64 m_crs = 0;
    qint64 m_lineFeeds = 0;
    qint64 m_crLfs = 0;
    qint64 m_lastCr = -1;
    qint64 m_lastLineFeed = -1;
    bool m_lineFeedAfterLastCr = false;
};

// No list of words comes near this: a file larger is no list, and counting its lines is left
// alone.
constexpr qint64 kMaxCountedBytes = qint64 {1024} * 1024 * 1024;
constexpr qsizetype kCountChunk = qsizetype {1024} * 1024;

} // namespace

ListStatus parseWordList(QByteArrayView bytes, WordTable& table)
{
    return parse(bytes, Ending::Complete, table);
}

ListStatus readWordList(const QString& path, WordTable& table)
{
    table.count = 0;
    const QFileInfo info(path);
    if (!info.exists())
        return ListStatus::Missing;
    // A pipe would wait for a writer for ever and a device may never end: only a plain file is
    // read.
    if (!info.isFile())
        return ListStatus::Stopped;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ListStatus::Stopped;

    // Straight into one buffer sized from the file, so an ordinary list takes a single read and
    // a second one that finds the end. Past a few megabytes the buffer grows geometrically, read
    // by read, so that a huge file is only read as far as its last line that can be taken.
    QByteArray bytes;
    const qint64 announced = file.size();
    if (announced > 0)
        bytes.reserve(static_cast<qsizetype>(std::min(announced + 1, kFirstRead)));

    Ending ending = Ending::Complete;
    LineCapWatch cap;
    for (;;) {
        const qsizetype held = bytes.size();
        const qsizetype spare = bytes.capacity() - held;
        const qsizetype room = spare > 0 ? spare : std::max(kReadChunk, held);
        bytes.resize(held + room);
        const qint64 got = file.read(bytes.data() + held, room);
        bytes.resize(held + std::max<qint64>(got, 0));
        if (got < 0) {
            ending = Ending::Interrupted;
            break;
        }
        if (got == 0 || cap.reachedIn(bytes))
            break;
        if (bytes.size() >= kMaxBytes) {
            ending = Ending::Interrupted;
            break;
        }
    }
    return parse(bytes, ending, table);
}

qint64 countListLines(QByteArrayView bytes)
{
    if (bytes.startsWith(kUtf8Bom))
        bytes = bytes.sliced(kUtf8Bom.size());
    LineTally tally;
    tally.add(bytes);
    return tally.lines();
}

std::optional<qint64> countListFileLines(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;

    QByteArray chunk(kCountChunk, Qt::Uninitialized);
    LineTally tally;
    qint64 total = 0;
    qsizetype held = 0;
    bool first = true;
    for (;;) {
        const qint64 got = file.read(chunk.data() + held, chunk.size() - held);
        if (got < 0)
            return std::nullopt;
        held += static_cast<qsizetype>(got);
        total += got;
        if (total > kMaxCountedBytes)
            return std::nullopt;
        // The mark is the file's first three bytes: the first piece holds them whole, unless the
        // file ends before.
        if (first && got > 0 && held < kUtf8Bom.size())
            continue;
        QByteArrayView piece(chunk.constData(), held);
        if (first && piece.startsWith(kUtf8Bom))
            piece = piece.sliced(kUtf8Bom.size());
        first = false;
        tally.add(piece);
        held = 0;
        if (got == 0)
            return tally.lines();
    }
}

ListLayout layOutList(QByteArrayView bytes)
{
    ListLayout layout;
    QByteArrayView text = bytes;
    if (text.startsWith(kUtf8Bom)) {
        layout.format.encoding = ListEncoding::Utf8WithMark;
        layout.textStart = kUtf8Bom.size();
        text = text.sliced(kUtf8Bom.size());
    }
    layout.format.lineEnds = lineEndsOf(text);
    std::vector<LineSpan> spans;
    (void)cutLines(text, layout.format.lineEnds, std::numeric_limits<qsizetype>::max(), spans);
    layout.lines.reserve(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const qsizetype next = i + 1 < spans.size() ? spans[i + 1].begin : text.size();
        layout.lines.push_back({layout.textStart + spans[i].begin, layout.textStart + spans[i].end,
                                layout.textStart + next});
    }
    layout.ascii = std::all_of(text.begin(), text.end(),
                               [](char c) { return static_cast<unsigned char>(c) < 0x80U; });
    if (layout.format.encoding == ListEncoding::Windows1252) {
        // The game decides on the lines it reads; past them, an ASCII start says nothing.
        const qsizetype read = std::min<qsizetype>(std::ssize(spans), kMaxLines);
        const qsizetype readBytes = read == 0 ? 0 : spans[static_cast<std::size_t>(read - 1)].end;
        if (looksLikeUtf8(text.first(readBytes)) || (!layout.ascii && looksLikeUtf8(text)))
            layout.format.encoding = ListEncoding::Utf8;
    }
    return layout;
}

QString entryOf(QByteArrayView lineText, ListEncoding encoding)
{
    const LineSpan word = LineSpan {0, lineText.size()}.trimmed(lineText);
    return decodedEntry(lineText.sliced(word.begin, word.end - word.begin),
                        encoding != ListEncoding::Windows1252);
}

} // namespace trouvimo
