#pragma once

#include <QString>

namespace trouvimo {

// Where the game finds its files. Built, it runs in place with everything beside the executable;
// installed, its data and its helper programs lie in the folders the installation put them in,
// found from the executable's own folder so that the installation can be moved as a whole.
struct GameFolders {
    // The word lists, pictures and sounds the game comes with.
    QString data;
    // The display guardian and the sound module.
    QString programs;
    // The family's own words, pictures and sounds, used instead of the game's file by file:
    // "trouvimo" in the user's data folder ($XDG_DATA_HOME, by default ~/.local/share). The game
    // only reads it, and does not create it.
    QString own;
};

[[nodiscard]] GameFolders findGameFolders(const QString& executableDirectory);

} // namespace trouvimo
