#pragma once

namespace trouvimo {

// A timed wait that keeps the windows alive: other handlers may run nested inside it. A duration
// of zero or less returns at once without processing any event.
class Pause {
public:
    virtual ~Pause() = default;
    virtual void pause(float seconds) = 0;
};

} // namespace trouvimo
