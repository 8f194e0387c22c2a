#pragma once

#include "platform/modules/ModuleThread.h"
#include "platform/speech/Speech.h"

#include <memory>

namespace trouvimo {

class SpeechHost;

// Speech synthesis on a thread of its own, through the speech module (trouvimo_speech), which the
// thread loads when it starts: connecting to the speech server, which a missing or hung server
// can hold up for as long as it likes, never holds up a window, and the game starts without Qt's
// speech module. What is asked for before the thread is ready waits; only the latest request is
// carried out, so a word asked for while the server was slow to answer is not said late.
class SpeechThread final : public Speech {
public:
    // module: the speech module's file, as moduleIn() names it for the game.
    explicit SpeechThread(const QString& module);
    ~SpeechThread() override;

    SpeechThread(const SpeechThread&) = delete;
    SpeechThread& operator=(const SpeechThread&) = delete;

    // The speech module in a directory: the game keeps it beside its executable.
    [[nodiscard]] static QString moduleIn(const QString& directory);

    // Starts the speech thread. The game starts it once its first window is on the screen. Later
    // calls do nothing.
    void start();

    void say(const QString& text, const QString& locale) override;
    void stop() override;

private:
    // Used on the speech thread, and left to it when a hung server holds it.
    std::unique_ptr<SpeechHost> m_host;
    ModuleThread m_thread;
};

} // namespace trouvimo
