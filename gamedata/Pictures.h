#pragma once

#include "gamedata/GameData.h"
#include "platform/DataPaths.h"

#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSize>
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

// The pictures of many words, found as findPicture() finds them but with each picture folder (the
// family's own, then the game's) listed once, when the index is made: a word then costs no look at
// the disk until its file is found. The check looks up the pictures of tens of thousands of words,
// where findPicture() lists a folder for each word that has no picture there.
class PictureIndex {
public:
    PictureIndex(DataPaths paths, LanguageData language);

    // The file findPicture() gives for `word` when that is a plain file; std::nullopt when it
    // gives none, or a path that names no plain file.
    [[nodiscard]] std::optional<QString> pictureOf(const QString& word) const;

    // A picture folder of one of the data paths' directories, as it was listed.
    struct Folder {
        QString directory; // the one of DataPaths::directories() the folder lies in
        QString path; // where it lies on the disk
        QFileInfoList entries; // all of them, hidden ones and system ones included, in name order
        // Where an entry lies in entries: by its name exactly as stored, and by nameKey() of its
        // name (the first in name order of those that share a key).
        QHash<QString, qsizetype> byName;
        QHash<QString, qsizetype> byKey;
    };
    // The folders in the order the game looks in them; those that are not on the disk are left
    // out.
    [[nodiscard]] const QList<Folder>& folders() const { return m_folders; }

    // What two names share when the game takes either for the other: the same letters whatever
    // their case and however their accents are stored (QString::compare() without regard to case,
    // after both are composed).
    [[nodiscard]] static QString nameKey(const QString& name);

private:
    DataPaths m_paths;
    LanguageData m_language;
    QList<Folder> m_folders;
};

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

// The limits behind TooManyBytes and TooManyPixels, for messages that quote them.
inline constexpr qint64 kMaxPictureBytes = qint64 {64} * 1024 * 1024;
inline constexpr qint64 kMaxPicturePixels = 50'000'000;

} // namespace trouvimo
