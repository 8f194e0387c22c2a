#pragma once

#include "platform/process/Clock.h"

namespace trouvimo {

// The local time of day, in seconds since midnight, to the millisecond.
class SystemClock final : public Clock {
public:
    [[nodiscard]] double secondsSinceMidnight() const override;
};

// The one system clock of the game, for whatever needs the time of day without being handed a
// clock.
[[nodiscard]] const Clock& systemClock();

} // namespace trouvimo
