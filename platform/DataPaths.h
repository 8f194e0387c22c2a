#pragma once

#include <QString>

#include <optional>

namespace trouvimo {

// Finds the game's data files under the application directory.
//
// The game writes its data paths the way it always has: the application directory followed by a
// relative path with backslashes ("\Sons\Chimes.wav"), on a file system where "Sons" and "sons"
// name the same folder. resolve() turns such a path into the file on this disk, matching every
// component without regard to case, and refuses any path that would leave the application
// directory (a component "..", ".", one containing a slash, an empty one, or a path that does
// not start with the directory at all).
class DataPaths {
public:
    explicit DataPaths(QString applicationDirectory);

    // The directory as the game joins it to relative paths: absolute, no trailing separator.
    [[nodiscard]] const QString& applicationDirectory() const { return m_directory; }

    // The application directory followed by the relative path, exactly as written.
    [[nodiscard]] QString join(QStringView relative) const;

    // The on-disk path for a path written as applicationDirectory() + relative path. A component
    // that matches nothing on disk is kept as written, so the caller sees a missing file.
    // std::nullopt means the path was refused and must not be opened at all.
    [[nodiscard]] std::optional<QString> resolve(const QString& written) const;

private:
    QString m_directory;
};

} // namespace trouvimo
