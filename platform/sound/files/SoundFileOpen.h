#pragma once

#include <QFile>
#include <QString>

#include <sndfile.hh>

#include <memory>

namespace trouvimo {

// A sound file opened for libsndfile through Qt's own file access rather than libsndfile's, which
// takes the name as bytes: on Windows those are in the ANSI code page, where a family's recording
// named with a letter outside it (a combining accent, another script) could not be opened at all.
// The handle reads the file, which it needs for as long as it lives: it is declared after it, so
// that it goes first.
struct OpenedSoundFile {
    std::unique_ptr<QFile> file;
    SndfileHandle handle;
};

// A null handle (rawHandle() == nullptr) when the file does not open or is no sound libsndfile
// reads.
[[nodiscard]] OpenedSoundFile openSoundFile(const QString& path);

} // namespace trouvimo
