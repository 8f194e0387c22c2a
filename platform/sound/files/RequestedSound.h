#pragma once

#include "platform/sound/SoundOutput.h"
#include "platform/sound/files/SoundFileStream.h"

#include <memory>

namespace trouvimo {

// The sound of a play request, opened to be decoded from its file while it plays and let go once
// it has been heard, so that no sound takes memory while the child thinks. nullptr, with the
// request settled as silent, when the output plays nothing (none was found, or it was stopped for
// good), the file is no sound the game reads, or a later request has come meanwhile.
[[nodiscard]] inline std::unique_ptr<SoundFileStream>
openRequestedSound(const QString& file, quint64 generation, bool canPlay, PlaybackState& state)
{
    std::unique_ptr<SoundFileStream> sound = canPlay ? SoundFileStream::open(file) : nullptr;
    if (!sound || generation != state.requested.load()) {
        state.settle(generation);
        return nullptr;
    }
    return sound;
}

} // namespace trouvimo
