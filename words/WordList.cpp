#include "WordList.h"

#include "TextDecoding.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace trouvimo {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

// The line count is a 16-bit signed integer: the line that would take it past this is not read.
constexpr qsizetype kMaxLines = std::numeric_limits<qint16>::max();

constexpr qint64 kFirstRead = qint64{4} * 1024 * 1024;
constexpr qsizetype kReadChunk = qsizetype{256} * 1024;

// Finds the end of the last line that can be taken while the bytes come in, so that reading can
// stop there: a huge list then costs no more than its first 32767 lines.
class LineCapWatch {
public:
    // Looks at the bytes added since the last call; true once `bytes` reaches past that line.
    bool reachedIn(QByteArrayView bytes)
    {
        while (crSeen_ < kMaxLines) {
            const qsizetype cr = bytes.indexOf(kCarriageReturn, scanned_);
            if (cr < 0) {
                scanned_ = bytes.size();
                return false;
            }
            ++crSeen_;
            scanned_ = cr + 1;
        }
        // The byte after that line's CR settles both whether an LF belongs to it and whether
        // another line follows.
        const qsizetype afterCr = scanned_;
        if (bytes.size() <= afterCr)
            return false;
        return bytes[afterCr] != kLineFeed || bytes.size() > afterCr + 1;
    }

private:
    qsizetype crSeen_ = 0;
    qsizetype scanned_ = 0;
};

// The offset just past the line end of the last line that can be taken, or -1 when the bytes
// hold fewer line ends than that.
qsizetype offsetAfterLastTakenLine(QByteArrayView bytes)
{
    qsizetype pos = 0;
    for (qsizetype line = 0; line < kMaxLines; ++line) {
        const qsizetype cr = bytes.indexOf(kCarriageReturn, pos);
        if (cr < 0)
            return -1;
        pos = cr + 1;
    }
    if (pos < bytes.size() && bytes[pos] == kLineFeed)
        ++pos;
    return pos;
}

// How the bytes on hand relate to the file they came from.
enum class Ending {
    Complete,    // the bytes are the whole file
    Interrupted, // reading failed after these bytes
};

bool endsMidLine(QByteArrayView bytes)
{
    return !bytes.empty() && !bytes.endsWith(kCarriageReturn)
        && !bytes.endsWith(QByteArrayView("\r\n"));
}

ListStatus parse(QByteArrayView bytes, Ending ending, WordTable& table)
{
    table.NbMots = 0;

    bool utf8 = false;
    if (bytes.startsWith(kUtf8Bom)) {
        utf8 = true;
        bytes = bytes.sliced(kUtf8Bom.size());
    }

    // The lines past the cap are never read, so they take no part in choosing the encoding.
    const qsizetype cap = offsetAfterLastTakenLine(bytes);
    const bool capped = cap >= 0 && cap < bytes.size();
    const QByteArrayView taken = capped ? bytes.first(cap) : bytes;
    if (!utf8)
        utf8 = looksLikeUtf8(taken);
    const QString text = utf8 ? decodeUtf8(taken) : decodeWindows1252(taken);

    // Both encodings turn each byte below 0x80 into the one character of the same value and
    // never produce a CR or LF from other bytes, so the lines can be cut on the decoded text.
    const QStringView view(text);
    QList<QString> lines;
    qsizetype pos = 0;
    while (pos < view.size()) {
        qsizetype cr = view.indexOf(QChar(u'\r'), pos);
        if (cr < 0)
            cr = view.size();
        lines.append(view.sliced(pos, cr - pos).toString());
        pos = cr + 1;
        if (pos < view.size() && view[pos] == QChar(u'\n'))
            ++pos;
    }

    // A read that fails counts the line it was reading and leaves that entry empty.
    const bool interrupted = ending == Ending::Interrupted && !capped;
    if (interrupted) {
        if (endsMidLine(taken))
            lines.last().clear();
        else if (lines.size() < kMaxLines)
            lines.append(QString());
    }

    const ListStatus status = capped || interrupted ? ListStatus::Stopped : ListStatus::Read;
    if (lines.isEmpty())
        return status;

    // Entries that survive the resize keep what they held, as in a table grown line by line;
    // the lines then overwrite entries 1..n.
    table.TabMots.resize(lines.size() + 1);
    std::move(lines.begin(), lines.end(), table.TabMots.begin() + 1);
    table.NbMots = static_cast<qint16>(lines.size());
    return status;
}

} // namespace

ListStatus parseWordList(QByteArrayView bytes, WordTable& table)
{
    return parse(bytes, Ending::Complete, table);
}

ListStatus readWordList(const QString& path, WordTable& table)
{
    table.NbMots = 0;
    if (!QFileInfo::exists(path))
        return ListStatus::Missing;

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
    }
    return parse(bytes, ending, table);
}

} // namespace trouvimo
