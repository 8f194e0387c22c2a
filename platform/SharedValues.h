#pragma once

#include <QString>

namespace trouvimo {

// The values that the start screen and the board share for the whole run. main() owns the one
// instance and hands it to both windows, so there is exactly one place where each lives.
struct SharedValues {
    // True for French, false for English; chosen on the start screen, read by the board.
    bool Francais = true;
    // Full path of the next sound to play: the application directory followed by a relative
    // path written with backslashes, as the game has always written it.
    QString CheminSon;
};

} // namespace trouvimo
