#pragma once

#include "platform/sound/RecordingProbe.h"

#include <QString>

namespace trouvimo {

// Whether the game can play the recording in `file`: it is opened as the game opens it
// (SoundFileStream::open()) and decoded to its end, and the fault found says why not. It lives
// with the sound files' reader, in the sound module, so that libsndfile and its codecs are no
// part of the game's start; the check reaches it through the module (recordingProberIn()).
[[nodiscard]] RecordingProbe probeRecording(const QString& file);

} // namespace trouvimo
