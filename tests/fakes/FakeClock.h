#pragma once

#include "platform/process/Clock.h"

namespace trouvimo {

// A time of day under a test's control: each reading returns `now`, then moves it on by
// `step` seconds, wrapping at midnight as a real clock does. With step 0 it stands still.
class FakeClock final : public Clock {
public:
    explicit FakeClock(double start = 0.0, double stepPerReading = 0.0)
        : now(start)
        , step(stepPerReading)
    {
    }

    [[nodiscard]] double secondsSinceMidnight() const override
    {
        const double reading = now;
        now += step;
        if (now >= secondsPerDay)
            now -= secondsPerDay;
        ++readings;
        return reading;
    }

    static constexpr double secondsPerDay = 86400.0;
    mutable double now;
    double step;
    mutable int readings = 0;
};

} // namespace trouvimo
