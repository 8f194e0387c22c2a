#pragma once

#include "platform/files/GameFolders.h"

#include <QString>

namespace trouvimo {

// Whether the game offers the "My words" window, and the folder it writes to: the one place that
// decides both, for the command line and the start screen alike.
struct MyWordsAccess {
    bool offered = false;
    QString folder;
};

// Offered wherever the family has a folder of its own to keep its words in.
[[nodiscard]] MyWordsAccess myWordsAccess(const GameFolders& folders);

} // namespace trouvimo
