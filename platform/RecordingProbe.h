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

// Whether the game can play the recording in `file`: it is opened as the game opens it
// (SoundFileStream::open()) and decoded to its end, and the fault found says why not. It lives
// with the sound files' reader, in the sound module, so that libsndfile and its codecs are no
// part of the game's start; the check reaches it through the module (recordingProberIn()).
[[nodiscard]] RecordingProbe probeRecording(const QString& file);

// The probe as the check is handed it.
using RecordingProber = std::function<RecordingProbe(const QString& file)>;

// The limits behind OutOfRange, for messages that quote them.
inline constexpr int kMostRecordingChannels = 8;
inline constexpr int kLowestRecordingRate = 1000;
inline constexpr int kHighestRecordingRate = 192000;

} // namespace trouvimo
