#pragma once

#include <QByteArray>
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
    // familyFolder(). The game only reads it, and does not create it.
    QString own;
};

[[nodiscard]] GameFolders findGameFolders(const QString& executableDirectory);

// The family's folder on this platform: "trouvimo" in the user's data folder on Linux
// ($XDG_DATA_HOME, by default ~/.local/share), "Trouvimo" in the roaming application data on
// Windows (%APPDATA%). Empty when the user has no such folder at all.
[[nodiscard]] QString familyFolder();

// The line end that the system's own text editor writes, for a word list the game starts.
[[nodiscard]] QByteArray newTextLineEnd();

// Makes the fonts the game carries with it, in the "fonts" folder of its data, known to the game
// alone, where the system does not have them; nothing where the system provides them.
void loadCarriedFonts(const QString& dataFolder);

} // namespace trouvimo
