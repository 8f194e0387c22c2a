#pragma once

#include "ProcessEnd.h"

#include <functional>

namespace trouvimo {

// Counts the requests to end the process. The real end never returns; a test that must stop
// the caller right there can throw from onEnd and catch it around the call.
class FakeProcessEnd final : public ProcessEnd {
public:
    void endProcess() override
    {
        ++calls;
        if (onEnd)
            onEnd();
    }

    int calls = 0;
    std::function<void()> onEnd;
};

} // namespace trouvimo
