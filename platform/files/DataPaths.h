#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace trouvimo {

// Finds the game's data files: in the folders that lend files (a family's own folder, a class's)
// first, file by file, then in the data folder the game comes with.
//
// The game writes its data paths the way it always has: the data folder followed by a relative
// path with backslashes ("\Sons\Chimes.wav"), on a file system where "Sons" and "sons" name the
// same folder. resolve() turns such a path into the file on this disk, matching every component
// without regard to case or to how its accents are stored, and refuses any path that would leave
// the data folder (a component "..", ".", one containing a slash, an empty one, or a path that
// does not start with the folder at all).
class DataPaths {
public:
    // lendingDirectories: the folders looked in before the data folder, the first that has a file
    // winning (the family's own, a class's).
    explicit DataPaths(QString dataDirectory, const QStringList& lendingDirectories = {});

    // The data folder as the game joins it to relative paths: absolute, no trailing separator.
    [[nodiscard]] const QString& dataDirectory() const { return m_dataDirectory; }
    // The folders a file is looked for in, the first that has it winning: the lending folders,
    // then the data folder.
    [[nodiscard]] const QStringList& directories() const { return m_directories; }

    // The data folder followed by the relative path, exactly as written.
    [[nodiscard]] QString join(QStringView relative) const;

    // The on-disk path for a path written as dataDirectory() + relative path: the file in the
    // first of directories() that has it. Where none has it, the path in the data folder, with
    // a component that matches nothing on disk kept as written, so the caller sees a missing
    // file. std::nullopt means the path was refused and must not be opened at all.
    [[nodiscard]] std::optional<QString> resolve(const QString& written) const;

    // The first of several paths written as resolve() takes them that names a file: each folder
    // of directories() is searched for all of them, in their order, before the next folder. Where
    // none names a file, resolve() of the first. std::nullopt when any of them is refused.
    [[nodiscard]] std::optional<QString> resolveFirstFile(const QStringList& written) const;

private:
    // The components of a written path after the data folder; std::nullopt when it is refused.
    [[nodiscard]] std::optional<QStringList> componentsOf(const QString& written) const;

    QString m_dataDirectory;
    QStringList m_directories;
};

} // namespace trouvimo
