#include "gamedata/Pictures.h"

#include "gamedata/WordFiles.h"
#include "platform/files/DataPaths.h"

#include <QFileInfo>
#include <QImageReader>

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
    return findWordFile(paths, language.pictureFolder, word, pictureSuffixes());
}

QSizeF fittedPictureSize(QSizeF size, QSizeF frame)
{
    return size.boundedTo(frame) == size ? size : size.scaled(frame, Qt::KeepAspectRatio);
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
