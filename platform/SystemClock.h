#pragma once

#include "platform/Pause.h"

namespace trouvimo {

// The local time of day, in seconds since midnight, to the millisecond.
class SystemClock final : public Clock {
public:
    [[nodiscard]] double secondsSinceMidnight() const override;
};

} // namespace trouvimo
