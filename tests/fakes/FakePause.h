#pragma once

#include "platform/process/Pause.h"

#include <functional>
#include <vector>

namespace trouvimo {

// Records each requested duration and, for a positive one, runs duringPause (if set) as the
// events that a real pause would process, so a test can nest any handler inside the pause.
// A duration of zero or less processes nothing, as a real pause does.
class FakePause final : public Pause {
public:
    void pause(float seconds) override
    {
        durations.push_back(seconds);
        if (seconds > 0.0F && duringPause)
            duringPause();
    }

    std::vector<float> durations;
    std::function<void()> duringPause;
};

} // namespace trouvimo
