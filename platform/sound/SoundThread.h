#pragma once

#include "platform/modules/ModuleThread.h"
#include "platform/sound/RecordingProbe.h"
#include "platform/sound/SoundPlayer.h"

#include <memory>

namespace trouvimo {

class SoundHost;
struct PlaybackState;

// Plays WAV files through a Qt Multimedia audio sink, on a thread of its own.
//
// play() only hands the path over and returns; reading the file, the sound server and the audio
// device all live on the player's thread, so a slow or missing sound server never holds up a
// window, and a sound goes on playing while the window thread is busy or about to end the
// process. A new sound cuts off the one still playing. The samples of the last few files stay
// in memory so that a repeated cue starts at once. Files that are not playable WAVs are refused
// before Qt sees them, and without any audio output (or without the sound module) the player
// stays silent for good; neither prints a word. Once a sound has been heard its stream is
// closed, so that a game waiting for the child uses no processor at all.
//
// The audio output itself is the sound module (trouvimo_sound), which the player's thread loads
// when it starts: the game then starts without Qt Multimedia and the sound server's libraries.
// Sounds asked for before start() wait for the thread and play then.
class SoundThread final : public SoundPlayer {
public:
    // module: the sound module's file, as moduleIn() names it for the game.
    explicit SoundThread(const QString& module);
    ~SoundThread() override;

    SoundThread(const SoundThread&) = delete;
    SoundThread& operator=(const SoundThread&) = delete;

    // The sound module in a directory: the game keeps it beside its executable.
    [[nodiscard]] static QString moduleIn(const QString& directory);
    // The module's probe of a word's recording, for the data check; without the module, a probe
    // that finds every recording playable, as nothing can tell otherwise.
    [[nodiscard]] static RecordingProber recordingProberIn(const QString& module);

    // Starts the player's thread, which loads the module, looks for an audio output and plays
    // what was asked for meanwhile. The game starts it once its first window is on the screen,
    // so that none of this competes with putting the window there. Later calls do nothing.
    void start();

    void play(const QString& file) override;
    [[nodiscard]] bool isPlaying() const override;

    // Starts the player if need be, waits until its thread has looked for an audio output and
    // says whether it found one. Meant for measurements and tests; play() never waits.
    [[nodiscard]] bool waitUntilReady();

private:
    std::shared_ptr<PlaybackState> m_state;
    // Used on the player's thread alone.
    std::unique_ptr<SoundHost> m_host;
    ModuleThread m_thread;
};

} // namespace trouvimo
