#pragma once

namespace trouvimo {

// A time-of-day clock: seconds since midnight, with fractions. The pause before a round waits on
// it and the draw mixes its readings into the generator.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual double secondsSinceMidnight() const = 0;
};

} // namespace trouvimo
