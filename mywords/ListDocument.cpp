#include "mywords/ListDocument.h"

#include "check/DataCheck.h"
#include "words/TextDecoding.h"

#include <algorithm>
#include <utility>

namespace trouvimo {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The word as the game would take it from its line: the spaces and tabs around it are no part of
// it, and a list read as UTF-8 holds it composed.
QString cleaned(const QString& typed)
{
    qsizetype begin = 0;
    qsizetype end = typed.size();
    while (begin < end && isBlank(typed[begin]))
        ++begin;
    while (end > begin && isBlank(typed[end - 1]))
        --end;
    return typed.sliced(begin, end - begin).normalized(QString::NormalizationForm_C);
}

bool holdsControl(const QString& word)
{
    return std::any_of(word.cbegin(), word.cend(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

QByteArray lineEndBytes(LineEnds lineEnds, const QByteArray& newLineEnd)
{
    switch (lineEnds) {
    case LineEnds::CrLf:
        return QByteArrayLiteral("\r\n");
    case LineEnds::Lf:
        return QByteArrayLiteral("\n");
    case LineEnds::Cr:
        return QByteArrayLiteral("\r");
    case LineEnds::None:
        break;
    }
    return newLineEnd;
}

} // namespace

ListDocument::ListDocument(QByteArray bytes, QByteArray newLineEnd)
    : m_newLineEnd(std::move(newLineEnd))
{
    setBytes(std::move(bytes));
}

void ListDocument::setBytes(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    m_layout = layOutList(m_bytes);
}

QString ListDocument::entry(qsizetype line) const
{
    if (line < 1 || line > lineCount())
        return {};
    const ListLine& at = m_layout.lines[static_cast<std::size_t>(line - 1)];
    return entryOf(QByteArrayView(m_bytes).sliced(at.begin, at.end - at.begin),
                   m_layout.format.encoding);
}

WordTable ListDocument::table() const
{
    WordTable table;
    table.format = m_layout.format;
    const qsizetype read = std::min(lineCount(), kMaxListLines);
    table.entries.reserve(read + 1);
    table.entries.append(QString());
    for (qsizetype line = 1; line <= read; ++line)
        table.entries.append(entry(line));
    table.count = static_cast<qint16>(read);
    return table;
}

int ListDocument::find(int line, const QString& wanted) const
{
    if (line >= 1 && line <= lineCount() && entry(line) == wanted)
        return line;
    for (qsizetype other = 1; other <= lineCount(); ++other) {
        if (entry(other) == wanted)
            return static_cast<int>(other);
    }
    return 0;
}

EditOutcome ListDocument::judge(const QString& typed, int line) const
{
    EditOutcome outcome;
    outcome.word = cleaned(typed);
    outcome.line = line;
    if (outcome.word.isEmpty()) {
        outcome.refusal = EditRefusal::Empty;
        return outcome;
    }
    if (holdsControl(outcome.word)) {
        outcome.refusal = EditRefusal::NotOneLine;
        return outcome;
    }
    if (line > kMaxListLines) {
        outcome.refusal = EditRefusal::ListFull;
        return outcome;
    }
    // The list as the game would read it with the word on its line.
    WordTable table = this->table();
    if (line > table.count) {
        table.entries.append(outcome.word);
        table.count = static_cast<qint16>(line);
    } else {
        table.entries[line] = outcome.word;
    }
    const std::vector<EntryVerdict> verdicts = judgeEntries(table);
    const EntryVerdict& verdict = verdicts[static_cast<std::size_t>(line - 1)];
    switch (verdict.problem) {
    case EntryProblem::Empty:
        outcome.refusal = EditRefusal::Empty;
        return outcome;
    case EntryProblem::TooLong:
        outcome.refusal = EditRefusal::TooLong;
        outcome.letters = verdict.letters;
        return outcome;
    case EntryProblem::Duplicate:
        outcome.refusal = EditRefusal::Duplicate;
        outcome.otherLine = verdict.firstLine;
        return outcome;
    case EntryProblem::None:
        break;
    }
    // A later line holding the same word would become the duplicate instead.
    for (std::size_t later = static_cast<std::size_t>(line); later < verdicts.size(); ++later) {
        if (verdicts[later].problem == EntryProblem::Duplicate
            && verdicts[later].firstLine == line) {
            outcome.refusal = EditRefusal::Duplicate;
            outcome.otherLine = static_cast<int>(later + 1);
            return outcome;
        }
    }
    return outcome;
}

QByteArray ListDocument::encodeForList(const QString& word)
{
    if (m_layout.format.encoding == ListEncoding::Windows1252) {
        const std::optional<QByteArray> narrow = encodeWindows1252(word);
        const bool ascii = narrow && std::all_of(narrow->cbegin(), narrow->cend(), [](char c) {
                               return static_cast<unsigned char>(c) < 0x80U;
                           });
        if (narrow && (ascii || !m_layout.ascii))
            return *narrow;
        // Every line goes over to UTF-8 as the game read it; line ends are the same bytes in both.
        setBytes(decodeWindows1252(m_bytes).toUtf8());
        m_layout.format.encoding = ListEncoding::Utf8;
    }
    return word.toUtf8();
}

EditOutcome ListDocument::add(const QString& typed)
{
    EditOutcome outcome = judge(typed, static_cast<int>(lineCount() + 1));
    if (!outcome.done())
        return outcome;
    const QByteArray lineEnd = lineEndBytes(m_layout.format.lineEnds, m_newLineEnd);
    const QByteArray word = encodeForList(outcome.word);
    QByteArray bytes = m_bytes;
    const bool endsWithLineEnd =
        m_layout.lines.empty() || m_layout.lines.back().end < m_layout.lines.back().next;
    // A list whose last line has no line end keeps ending so.
    if (endsWithLineEnd)
        bytes += word + lineEnd;
    else
        bytes += lineEnd + word;
    setBytes(std::move(bytes));
    return outcome;
}

EditOutcome ListDocument::rename(int line, const QString& oldEntry, const QString& typed)
{
    const int found = find(line, oldEntry);
    if (found == 0) {
        EditOutcome gone;
        gone.refusal = EditRefusal::Gone;
        return gone;
    }
    EditOutcome outcome = judge(typed, found);
    if (!outcome.done())
        return outcome;
    const QByteArray word = encodeForList(outcome.word);
    // The line's place is taken after any change of encoding, which moves every byte.
    const ListLine& at = m_layout.lines[static_cast<std::size_t>(found - 1)];
    qsizetype begin = at.begin;
    qsizetype end = at.end;
    while (begin < end && (m_bytes[begin] == ' ' || m_bytes[begin] == '\t'))
        ++begin;
    while (end > begin && (m_bytes[end - 1] == ' ' || m_bytes[end - 1] == '\t'))
        --end;
    QByteArray bytes = m_bytes;
    bytes.replace(begin, end - begin, word);
    setBytes(std::move(bytes));
    return outcome;
}

EditOutcome ListDocument::remove(int line, const QString& oldEntry)
{
    EditOutcome outcome;
    outcome.line = find(line, oldEntry);
    outcome.word = oldEntry;
    if (outcome.line == 0) {
        outcome.refusal = EditRefusal::Gone;
        return outcome;
    }
    const auto index = static_cast<std::size_t>(outcome.line - 1);
    const ListLine& at = m_layout.lines[index];
    qsizetype begin = at.begin;
    // The last line without a line end takes the line end before it along, so that the list
    // still ends as it did.
    if (at.end == at.next && index > 0)
        begin = m_layout.lines[index - 1].end;
    QByteArray bytes = m_bytes;
    bytes.remove(begin, at.next - begin);
    setBytes(std::move(bytes));
    return outcome;
}

} // namespace trouvimo
