#pragma once

#include "gamedata/GameData.h"
#include "mywords/ListDocument.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

namespace trouvimo {

// What the window tells when a change to the family's folder did not go through. Whatever went
// wrong, the files are as they were before, or the replaced ones are in the trash.
enum class FolderFault {
    None,
    NoName, // the word cannot name a file on every system (a slash, a colon, a question mark...)
    NotAPicture, // no picture the game reads
    PictureTooLarge, // more bytes or more pixels than the game takes
    PictureDamaged, // its header reads, its picture does not
    CannotRead, // the chosen file, or the list, could not be read
    CannotWrite, // the folder could not be made, or the file written (a full disk...)
    CannotTrash, // a file to be replaced could not go to the trash: it is left as it was
    Busy, // another window held the list for longer than any edit takes
};

struct FolderOutcome {
    FolderFault fault = FolderFault::None;
    // The file concerned: the one written, or the one that could not be.
    QString file;

    [[nodiscard]] bool done() const { return fault == FolderFault::None; }
};

struct ListEdit {
    EditOutcome outcome;
    FolderOutcome written;
    // The list as it is on the disk once the edit is over, changed or not.
    ListDocument document;

    [[nodiscard]] bool done() const { return outcome.done() && written.done(); }
};

// How a chosen photo is stored: as its own bytes, or decoded and written again.
struct PhotoPlan {
    bool copy = true;
    QString suffix; // among pictureSuffixes()
    QSize size; // of a picture written again
};

// The largest picture the game needs: its picture frame on the largest monitor it fills (8K,
// 7680 x 4320). A photo larger than that is stored at that size.
[[nodiscard]] QSize largestPictureSize();

// The plan for a picture in `format` (as QImageReader names it) of `size` pixels: a GIF is kept
// as it is, animated or not, and so is any other picture the game finds under its own suffix
// unless it is larger than `largest` or must be turned upright; anything else Qt reads is written
// again, as JPEG, or as PNG when it has transparent parts.
[[nodiscard]] PhotoPlan planPhoto(const QByteArray& format, QSize size, bool turned,
                                  bool transparent, QSize largest);

// The family's own folder, where the "My words" window writes and nothing else does: its word
// lists, and the pictures and recordings of its words, named as the game looks them up. Every
// change is written whole or not at all, and what it replaces goes to the desktop's trash.
class FamilyWords {
public:
    // folder: where the family's files go, created with the first change.
    // newLineEnd: the line end of a list started here.
    FamilyWords(QString folder, QByteArray newLineEnd);

    [[nodiscard]] const QString& folder() const { return m_folder; }
    // The family's list of the language, where it is or would be.
    [[nodiscard]] QString listPath(const LanguageData& language) const;
    [[nodiscard]] bool hasList(const LanguageData& language) const;
    [[nodiscard]] ListDocument readList(const LanguageData& language) const;

    // Reads the list as it is now, makes the edit on it and writes it back, all while no other
    // window of the game can: two windows editing one list lose no word. A list that is not there
    // yet is an empty one.
    ListEdit editList(const LanguageData& language,
                      const std::function<EditOutcome(ListDocument&)>& edit);
    // Starts the family's list with these bytes, unless the family already has one.
    ListEdit startList(const LanguageData& language, const QByteArray& bytes);

    // The files of the word (in any case, their accents stored in any way) in the family's folder
    // of pictures or of recordings.
    [[nodiscard]] QStringList pictureFiles(const LanguageData& language, const QString& word) const;
    [[nodiscard]] QStringList recordingFiles(const LanguageData& language,
                                             const QString& word) const;

    // Stores the picture in `source` as the word's, in the name the game looks for; the word's
    // pictures before go to the trash.
    FolderOutcome storePhoto(const LanguageData& language, const QString& word,
                             const QString& source);
    // Stores the WAV file's bytes as the word's recording, the word's recordings before going to
    // the trash.
    FolderOutcome storeRecording(const LanguageData& language, const QString& word,
                                 const QByteArray& wav);
    // Gives the word's pictures and recordings the new word's name; those of the new word that
    // were there go to the trash. With keep, the word keeps its own (another line still holds it)
    // and the new word gets copies.
    FolderOutcome renameFiles(const LanguageData& language, const QString& from, const QString& to,
                              bool keep);
    // Sends the word's pictures and recordings to the trash.
    FolderOutcome trashFiles(const LanguageData& language, const QString& word);

    // Whether the word can name a file: the game looks its picture up by that name.
    [[nodiscard]] static bool canName(const QString& word);

private:
    [[nodiscard]] QString folderOf(const QString& written) const;
    [[nodiscard]] QStringList filesOf(const QString& folder, const QString& word,
                                      const QStringList& suffixes) const;
    FolderOutcome store(const QString& folder, const QString& word, const QString& suffix,
                        const QByteArray& bytes, const QStringList& replaced);

    QString m_folder;
    QByteArray m_newLineEnd;
};

} // namespace trouvimo
