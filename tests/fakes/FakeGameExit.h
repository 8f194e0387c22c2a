#pragma once

#include "platform/process/GameExit.h"

#include <functional>

namespace trouvimo {

// Counts the requests to end the process. The real end never returns; a test that must stop
// the caller right there can throw from onEnd and catch it around the call.
class FakeGameExit final : public GameExit {
public:
    void exitGame() override
    {
        ++calls;
        if (onEnd)
            onEnd();
    }

    int calls = 0;
    std::function<void()> onEnd;
};

} // namespace trouvimo
