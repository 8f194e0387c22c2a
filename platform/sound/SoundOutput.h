#pragma once

#include "platform/sound/RecordingProbe.h"

#include <QSemaphore>
#include <QString>
#include <QtPlugin>

#include <atomic>
#include <chrono>
#include <memory>

// Between the sound player, which lives in the game, and its audio output, which lives in a module
// of its own (trouvimo_sound) so that Qt Multimedia and the sound server's libraries are loaded
// only by the player's thread, once the first window is up.

namespace trouvimo {

using SteadyClock = std::chrono::steady_clock;

inline qint64 steadyNanoseconds(SteadyClock::time_point when)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

// Shared between the window thread, which asks, and the player's thread, which answers.
// Every request carries the next number; a sound is playing while the latest request is not
// known to be silent (settled: refused, or failed in the output) and its expected end is ahead.
struct PlaybackState {
    std::atomic<quint64> requested {0};
    std::atomic<quint64> settled {0};
    // steadyNanoseconds() of the moment the latest sound is expected to have ended.
    std::atomic<qint64> playingUntil {0};
    // Released once the player's thread has looked for an audio output.
    QSemaphore ready;
    std::atomic<bool> outputFound {false};

    void settle(quint64 generation)
    {
        quint64 current = settled.load();
        while (current < generation && !settled.compare_exchange_weak(current, generation)) { }
    }
};

// Plays the sounds; made, used and stopped on the player's thread only.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Asked once, before anything is played: whether there is an audio output at all.
    [[nodiscard]] virtual bool findOutput() = 0;
    // Cuts off the sound still playing and starts the file as request number generation; settles
    // the request in the shared state when it plays nothing.
    virtual void play(const QString& file, quint64 generation) = 0;
    // Silences everything for good; later requests play nothing.
    virtual void stopAll() = 0;
};

// What the module offers: the root object that QPluginLoader hands out implements this.
class SoundOutputFactory {
public:
    virtual ~SoundOutputFactory() = default;
    // Whether a word's recording can be played, for the data check, which needs no output.
    [[nodiscard]] virtual RecordingProbe probeRecording(const QString& file) = 0;
    [[nodiscard]] virtual std::unique_ptr<SoundOutput>
    create(std::shared_ptr<PlaybackState> state) = 0;
};

} // namespace trouvimo

#define TrouvimoSoundOutputFactory_iid "org.trouvimo.SoundOutputFactory/1.0"
Q_DECLARE_INTERFACE(trouvimo::SoundOutputFactory, TrouvimoSoundOutputFactory_iid)
