#include "gamedata/WordFiles.h"

#include <QDir>

#include <utility>

namespace trouvimo {

std::optional<QString> findWordFile(const DataPaths& paths, const QString& folder,
                                    const QString& word, const QStringList& suffixes)
{
    QStringList written;
    for (const QString& suffix : suffixes)
        written.append(paths.join(folder + word + suffix));
    return paths.resolveFirstFile(written);
}

std::optional<QString> findExistingWordFile(const DataPaths& paths, const QString& folder,
                                            const QString& word, const QStringList& suffixes)
{
    std::optional<QString> found = findWordFile(paths, folder, word, suffixes);
    if (found && !QFileInfo(*found).isFile())
        return std::nullopt;
    return found;
}

WordFileIndex::WordFileIndex(DataPaths paths, QString folder, QStringList suffixes)
    : m_paths(std::move(paths))
    , m_folder(std::move(folder))
    , m_suffixes(std::move(suffixes))
{
    // The folder is found in each directory as the game finds it on the way to a word's file.
    const QString written = m_folder.chopped(1);
    for (const QString& directory : m_paths.directories()) {
        const DataPaths one(directory);
        const std::optional<QString> path = one.resolve(one.join(written));
        if (!path || !QFileInfo(*path).isDir())
            continue;
        // The same entries in the same order as DataPaths lists to match a name.
        Folder listed {directory,
                       *path,
                       QDir(*path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot,
                                                 QDir::Name),
                       {},
                       {}};
        for (qsizetype i = 0; i < listed.entries.size(); ++i) {
            const QString name = listed.entries[i].fileName();
            listed.byName.insert(name, i);
            const QString key = nameKey(name);
            if (!listed.byKey.contains(key))
                listed.byKey.insert(key, i);
        }
        m_folders.append(std::move(listed));
    }
}

std::optional<QString> WordFileIndex::fileOf(const QString& word) const
{
    // A word that spells more than a name inside the folder (a path, or a name the game refuses)
    // is looked up as the game looks it up; no list of words holds many.
    if (word.contains(u'\\') || word.contains(u'/') || word.contains(QChar(u'\0')))
        return findExistingWordFile(m_paths, m_folder, word, m_suffixes);

    // The suffixes start with a dot, which composes with nothing: the key of the name is the
    // word's key followed by the suffix's.
    const QString wordKey = nameKey(word);
    for (const Folder& folder : m_folders) {
        for (const QString& suffix : m_suffixes) {
            // As DataPaths matches a name: the entry spelled exactly so if it exists (a link to
            // nothing does not), otherwise the first in name order that differs only in case or in
            // how its accents are stored.
            const QFileInfo* entry = nullptr;
            const auto exact = folder.byName.constFind(word + suffix);
            if (exact != folder.byName.cend() && folder.entries[*exact].exists()) {
                entry = &folder.entries[*exact];
            } else if (const auto same = folder.byKey.constFind(wordKey + nameKey(suffix));
                       same != folder.byKey.cend()) {
                entry = &folder.entries[*same];
            }
            if (entry != nullptr && entry->isFile())
                return entry->filePath();
        }
    }
    return std::nullopt;
}

QString WordFileIndex::nameKey(const QString& name)
{
    // QString::compare() folds the case of one UTF-16 unit at a time, the low half of a surrogate
    // pair standing for the whole character; the key is folded the same way.
    QString key = name.normalized(QString::NormalizationForm_C);
    char16_t previous = 0;
    for (QChar& unit : key) {
        const char16_t here = unit.unicode();
        if (QChar::isLowSurrogate(here) && QChar::isHighSurrogate(previous)) {
            unit = QChar(
                QChar::lowSurrogate(QChar::toCaseFolded(QChar::surrogateToUcs4(previous, here))));
        } else {
            unit = QChar(static_cast<char16_t>(QChar::toCaseFolded(char32_t {here})));
        }
        previous = here;
    }
    return key;
}

} // namespace trouvimo
