#pragma once

#include <QString>

namespace trouvimo {

// Plays a WAV file in the background. play() returns at once; a missing, unreadable or broken
// file, or a machine without a sound server, plays nothing and reports nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& file) = 0;
    // True while a sound started by play() may still be heard; lets the closing path give the
    // goodbye chime a moment before the process ends.
    [[nodiscard]] virtual bool isPlaying() const = 0;
};

} // namespace trouvimo
