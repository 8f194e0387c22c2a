#pragma once

#include "words/WordList.h"

#include <QByteArray>
#include <QString>

namespace trouvimo {

// Why an edit of a list was refused; the list is left as it was.
enum class EditRefusal {
    None,
    Empty, // no letter
    NotOneLine, // a line end or another control character, which would split or spoil the line
    TooLong, // more letters than the board has slots
    Duplicate, // the word of another line
    ListFull, // the list has as many lines as the game reads: a line added would never be played
    Gone, // the line to change no longer holds the word it held (the list changed meanwhile)
};

struct EditOutcome {
    EditRefusal refusal = EditRefusal::None;
    // TooLong: the word's letters; Duplicate: the other line's number.
    qsizetype letters = 0;
    int otherLine = 0;
    // The line (from 1) that was added or changed, or that was removed.
    int line = 0;
    // The word as it was written: without the spaces and tabs around it, composed.
    QString word;

    [[nodiscard]] bool done() const { return refusal == EditRefusal::None; }
};

// A word list as its bytes, with the edits the "My words" window makes: each line the window does
// not touch keeps its bytes where they were, skipped lines and those past what the game reads
// included, and so do the encoding and the line ends as far as the words allow. A word that
// Windows-1252 cannot hold turns the list into UTF-8; so does any word beyond ASCII in a list of
// ASCII alone, which says nothing of its encoding. Whether a word is taken is decided by the
// check's own rules (judgeEntries()) on the list as the game would read it after the edit.
class ListDocument {
public:
    // newLineEnd: the line end of a list that has none yet.
    explicit ListDocument(QByteArray bytes = {}, QByteArray newLineEnd = QByteArrayLiteral("\n"));

    [[nodiscard]] const QByteArray& bytes() const { return m_bytes; }
    [[nodiscard]] const ListFormat& format() const { return m_layout.format; }
    [[nodiscard]] qsizetype lineCount() const { return std::ssize(m_layout.lines); }
    // The entry of line `line` (from 1) as the game reads it.
    [[nodiscard]] QString entry(qsizetype line) const;
    // The lines the game reads, as it reads them.
    [[nodiscard]] WordTable table() const;
    // The line (from 1) that holds `entry`: `line` when it still does, otherwise the first that
    // does; 0 when none does.
    [[nodiscard]] int find(int line, const QString& entry) const;

    // Adds the word as a new last line.
    EditOutcome add(const QString& word);
    // Writes `word` in place of the entry `entry` of line `line` (found again with find()), the
    // spaces around it on the line kept.
    EditOutcome rename(int line, const QString& entry, const QString& word);
    // Takes out the line that holds `entry` (found with find()) with its line end.
    EditOutcome remove(int line, const QString& entry);

private:
    // The word checked as it would stand on line `line`: `outcome` says why not.
    [[nodiscard]] EditOutcome judge(const QString& typed, int line) const;
    // The word in the list's encoding, the list turned into UTF-8 first when it must be.
    [[nodiscard]] QByteArray encodeForList(const QString& word);
    void setBytes(QByteArray bytes);

    QByteArray m_bytes;
    QByteArray m_newLineEnd;
    ListLayout m_layout;
};

} // namespace trouvimo
