#pragma once

#include "gamedata/GameData.h"
#include "platform/files/DataPaths.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace trouvimo {

// The endings a word's picture may have, in the order they are looked for: an animated GIF
// first, then a photo.
[[nodiscard]] const QStringList& pictureSuffixes();

// The picture of `word` (in capitals, as the answer slots spell it): the language's picture
// folder, the word, then the first of pictureSuffixes() that names a file. Where none does, the
// GIF's path, so that the caller sees a missing file. std::nullopt when the word spells a path
// that must not be opened.
[[nodiscard]] std::optional<QString> findPicture(const DataPaths& paths,
                                                 const LanguageData& language, const QString& word);

// Why the game will not show a picture file.
enum class PictureFault {
    None,
    NotAFile, // missing, or a folder or anything else that is no plain file
    Empty,
    TooManyBytes, // larger than any photo of a word
    NotAPicture, // not in a format Qt reads, or its header is broken
    TooManyPixels, // decoding it would take the memory of the machine
};

struct PictureProbe {
    PictureFault fault = PictureFault::None;
    QSize size; // in pixels, when the header could be read
    // The pixel format its frames decode to, as the header tells it.
    QImage::Format format = QImage::Format_Invalid;
};

// Whether the game will show the picture in `file`, and its size. Only the file's header is
// read: a picture whose frames turn out to be broken passes.
[[nodiscard]] PictureProbe probePicture(const QString& file);

// The size a picture of `size` shows at in a frame of `frame`: a picture larger than the frame is
// shrunk to fit it, its proportions kept; a smaller one keeps its own size.
[[nodiscard]] QSizeF fittedPictureSize(QSizeF size, QSizeF frame);

// The limits behind TooManyBytes and TooManyPixels, for messages that quote them.
inline constexpr qint64 kMaxPictureBytes = qint64 {64} * 1024 * 1024;
inline constexpr qint64 kMaxPicturePixels = 50'000'000;

} // namespace trouvimo
