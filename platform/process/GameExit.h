#pragma once

namespace trouvimo {

// The one way the game ends, whichever button, close box or signal asked for it: the display
// goes back to what the game found, and no further handler of the game runs after exitGame().
class GameExit {
public:
    virtual ~GameExit() = default;
    virtual void exitGame() = 0;
};

} // namespace trouvimo
