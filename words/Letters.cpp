#include "words/Letters.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace trouvimo {

QList<QString> lettersOf(const QString& word)
{
    QList<QString> letters;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, word);
    qsizetype start = 0;
    for (qsizetype end = boundaries.toNextBoundary(); end > start;
         end = boundaries.toNextBoundary()) {
        letters.append(word.sliced(start, end - start));
        start = end;
    }
    return letters;
}

qsizetype letterCount(QStringView word, qsizetype limit)
{
    // Whether a letter ends between two characters depends only on the characters up to the
    // second, so the letters that end inside the first part of a word are the word's own first
    // letters; the part is doubled until it holds the limit's worth, or the whole word.
    constexpr qsizetype kFirstPart = 64;
    for (qsizetype part = kFirstPart;; part *= 2) {
        qsizetype cut = std::min(part, word.size());
        if (cut < word.size() && word[cut - 1].isHighSurrogate())
            ++cut;
        const bool whole = cut == word.size();
        QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, word.first(cut));
        qsizetype ended = 0;
        for (qsizetype end = boundaries.toNextBoundary(); end > 0 && (whole || end < cut);
             end = boundaries.toNextBoundary())
            ++ended;
        // Past the cut at least one more letter begins.
        const qsizetype atLeast = whole ? ended : ended + 1;
        if (atLeast >= limit)
            return limit;
        if (whole)
            return ended;
    }
}

} // namespace trouvimo
