#pragma once

#include "platform/files/DataPaths.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace trouvimo {

// The file named after `word` (in capitals, as the answer slots spell it) in a folder of the
// game's data, written as the game writes it and ending with a separator: the folder, the word,
// then the first of `suffixes` that names a file, the family's own folder searched before the
// game's. Where none does, the path with the first suffix, so that the caller sees a missing
// file. std::nullopt when the word spells a path that must not be opened.
[[nodiscard]] std::optional<QString> findWordFile(const DataPaths& paths, const QString& folder,
                                                  const QString& word, const QStringList& suffixes);

// The file findWordFile() gives when that is a plain file; std::nullopt when it gives none, or a
// path that names no plain file.
[[nodiscard]] std::optional<QString> findExistingWordFile(const DataPaths& paths,
                                                          const QString& folder,
                                                          const QString& word,
                                                          const QStringList& suffixes);

// The files of many words in one folder, found as findWordFile() finds them but with that folder
// listed once in each data directory (the family's own, then the game's), when the index is made:
// a word then costs no look at the disk until its file is found. The check looks up the pictures
// and recordings of tens of thousands of words, where findWordFile() lists a folder for each word
// that has no file there.
class WordFileIndex {
public:
    WordFileIndex(DataPaths paths, QString folder, QStringList suffixes);

    // The file findExistingWordFile() gives for `word`.
    [[nodiscard]] std::optional<QString> fileOf(const QString& word) const;

    [[nodiscard]] const QStringList& suffixes() const { return m_suffixes; }

    // The folder in one of the data paths' directories, as it was listed.
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
    QString m_folder;
    QStringList m_suffixes;
    QList<Folder> m_folders;
};

} // namespace trouvimo
