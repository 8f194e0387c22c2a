#pragma once

namespace trouvimo {

// Ends the process at once: no further handler of the game runs after endProcess().
class ProcessEnd {
public:
    virtual ~ProcessEnd() = default;
    virtual void endProcess() = 0;
};

} // namespace trouvimo
