#pragma once

#include "platform/process/GameExit.h"

#include <chrono>

namespace trouvimo {

class Display;
class SoundPlayer;

// Ends the game: its windows go at once, the display returns to what the game found, and the
// process ends with _exit(0): no destructor, no pending event, no timer tick and no close
// handler of any window runs afterwards.
//
// The game ends straight from inside a handler, possibly nested in a pause, with its timers
// still running; an orderly shutdown would run more of its handlers on the way out, which is
// exactly what must not happen. Two things are kept from an orderly exit: what was written to
// stdout and stderr is flushed, and a sound still playing (the goodbye chime) is given a moment
// to be heard. That moment is spent asleep, not in the event loop, so nothing of the game runs
// during it; the player plays on its own thread and needs no help from this one.
//
// The process ends as soon as the chime does. The grace only bounds the wait: it holds the
// player's allowance for a sound that is still being loaded (a busy machine may start the chime
// late) and the chime's own length, so that the chime is heard whole however late it starts.
class ImmediateExit final : public GameExit {
public:
    ImmediateExit(const SoundPlayer& player, Display& display,
                  std::chrono::milliseconds soundGrace = std::chrono::milliseconds(2600));
    [[noreturn]] void exitGame() override;

private:
    const SoundPlayer& m_player;
    Display& m_display;
    std::chrono::milliseconds m_soundGrace;
};

} // namespace trouvimo
