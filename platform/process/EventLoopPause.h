#pragma once

#include "platform/process/Clock.h"
#include "platform/process/Pause.h"

namespace trouvimo {

// A pause that waits on the Qt event loop: window events, timer ticks and whole handlers run
// inside it, while the processor sleeps between them.
//
// It ends once the clock shows that the duration has passed, the start being moved back a day
// when the clock passes midnight. A clock that stands still or jumps back cannot hold it
// forever: it also ends once the steady clock of the machine shows the duration and a
// margin, so a broken time of day costs at most that margin.
class EventLoopPause final : public Pause {
public:
    explicit EventLoopPause(const Clock& clock);
    void pause(float seconds) override;

private:
    const Clock& m_clock;
};

} // namespace trouvimo
