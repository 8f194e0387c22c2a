#pragma once

#include "Sound.h"

#include <QThread>

#include <memory>

namespace trouvimo {

class SoundWorker;
struct PlaybackState;

// Plays WAV files through a Qt Multimedia audio sink, on a thread of its own.
//
// play() only hands the path over and returns; reading the file, the sound server and the audio
// device all live on the player's thread, so a slow or missing sound server never holds up a
// window, and a sound goes on playing while the window thread is busy or about to end the
// process. A new sound cuts off the one still playing. The samples of the last few files stay
// in memory so that a repeated cue starts at once. Files that are not playable WAVs are refused
// before Qt sees them, and without any audio output the player stays silent for good; neither
// prints a word.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    void play(const QString& file) override;
    [[nodiscard]] bool isPlaying() const override;

    // Waits until the player has looked for an audio output (it does so as soon as it starts)
    // and says whether it found one. Meant for measurements and tests; play() never waits.
    [[nodiscard]] bool waitUntilReady() const;

private:
    std::shared_ptr<PlaybackState> m_state;
    QThread m_thread;
    std::unique_ptr<SoundWorker> m_worker;
};

} // namespace trouvimo
