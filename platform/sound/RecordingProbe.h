#pragma once

#include <QString>

#include <functional>

namespace trouvimo {

// Why a word's recording cannot be played.
enum class RecordingFault {
    None,
    NotASound, // no plain file, or not a WAV, FLAC or Ogg sound that libsndfile opens
    Empty, // no bytes, or no samples
    CutShort, // fewer bytes or samples than its header announces
    DamagedHeader, // a WAV header whose sizes or fields contradict each other
    OutOfRange, // more channels or a rate out of what the audio output takes
};

struct RecordingProbe {
    RecordingFault fault = RecordingFault::None;
    // As the header tells them, once the file is known to be a sound.
    int channels = 0;
    int sampleRate = 0;
};

// Whether the game can play a recording, as the check is handed it: probeRecording() of the
// sound module, reached through SoundThread::recordingProberIn().
using RecordingProber = std::function<RecordingProbe(const QString& file)>;

// The limits behind OutOfRange, for messages that quote them.
inline constexpr int kMostRecordingChannels = 8;
inline constexpr int kLowestRecordingRate = 1000;
inline constexpr int kHighestRecordingRate = 192000;

} // namespace trouvimo
