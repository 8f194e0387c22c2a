#pragma once

namespace trouvimo {

// A time-of-day clock: seconds since midnight, with fractions.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual double secondsSinceMidnight() const = 0;
};

// A timed wait that keeps the windows alive: other handlers may run nested inside it. A duration
// of zero or less returns at once without processing any event.
class Pause {
public:
    virtual ~Pause() = default;
    virtual void pause(float seconds) = 0;
};

} // namespace trouvimo
