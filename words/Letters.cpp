#include "words/Letters.h"

#include <QTextBoundaryFinder>

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

} // namespace trouvimo
