#include "gamedata/Pictures.h"

#include "platform/DataPaths.h"

#include <QDir>
#include <QImageReader>

#include <utility>

using namespace Qt::StringLiterals;

namespace trouvimo {

const QStringList& pictureSuffixes()
{
    static const QStringList suffixes {u".gif"_s, u".png"_s, u".jpg"_s, u".jpeg"_s, u".webp"_s};
    return suffixes;
}

std::optional<QString> findPicture(const DataPaths& paths, const LanguageData& language,
                                   const QString& word)
{
    // A family's own photo of a word comes before the game's GIF of it.
    QStringList written;
    for (const QString& suffix : pictureSuffixes())
        written.append(paths.join(language.pictureFolder + word + suffix));
    return paths.resolveFirstFile(written);
}

PictureIndex::PictureIndex(DataPaths paths, LanguageData language)
    : m_paths(std::move(paths))
    , m_language(std::move(language))
{
    // The folder is found in each directory as the game finds it on the way to a picture.
    QString written = m_language.pictureFolder;
    written.chop(1);
    for (const QString& directory : m_paths.directories()) {
        const DataPaths one(directory);
        const std::optional<QString> path = one.resolve(one.join(written));
        if (!path || !QFileInfo(*path).isDir())
            continue;
        // The same entries in the same order as DataPaths lists to match a name.
        Folder folder {directory,
                       *path,
                       QDir(*path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot,
                                                 QDir::Name),
                       {},
                       {}};
        for (qsizetype i = 0; i < folder.entries.size(); ++i) {
            const QString name = folder.entries[i].fileName();
            folder.byName.insert(name, i);
            const QString key = nameKey(name);
            if (!folder.byKey.contains(key))
                folder.byKey.insert(key, i);
        }
        m_folders.append(std::move(folder));
    }
}

std::optional<QString> PictureIndex::pictureOf(const QString& word) const
{
    // A word that spells more than a name inside the folder (a path, or a name the game refuses)
    // is looked up as the game looks it up; no list of words holds many.
    if (word.contains(u'\\') || word.contains(u'/') || word.contains(QChar(u'\0'))) {
        std::optional<QString> found = findPicture(m_paths, m_language, word);
        if (found && QFileInfo(*found).isFile())
            return found;
        return std::nullopt;
    }

    // The suffixes start with a dot, which composes with nothing: the key of the name is the
    // word's key followed by the suffix's.
    const QString wordKey = nameKey(word);
    for (const Folder& folder : m_folders) {
        for (const QString& suffix : pictureSuffixes()) {
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

QString PictureIndex::nameKey(const QString& name)
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

PictureProbe probePicture(const QString& file)
{
    // A phone's photo is a few megabytes. A 50-megapixel camera's photo decodes to 200 MB,
    // within what Qt agrees to allocate for one picture; a file that claims 30000 x 30000 pixels
    // must not be decoded at all.
    const QFileInfo info(file);
    if (!info.isFile())
        return {PictureFault::NotAFile, {}};
    if (info.size() == 0)
        return {PictureFault::Empty, {}};
    if (info.size() > kMaxPictureBytes)
        return {PictureFault::TooManyBytes, {}};
    QImageReader reader(file);
    const QSize size = reader.size();
    if (!reader.canRead() || size.isEmpty())
        return {PictureFault::NotAPicture, {}};
    if (qint64 {size.width()} * size.height() > kMaxPicturePixels)
        return {PictureFault::TooManyPixels, size};
    return {PictureFault::None, size, reader.imageFormat()};
}

} // namespace trouvimo
