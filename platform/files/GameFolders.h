#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
    // A class's words, pictures and sounds for every user of the computer, used instead of the
    // game's file by file, and in their turn the family's instead of them: classFolder().
    QString classroom;
    // The settings fixed for every user of the computer: computerSettingsFile().
    QString settings;

    // The folders whose files are used instead of the game's own, the first that has a file
    // winning: the family's, unless the computer's settings leave it aside, then the class's.
    [[nodiscard]] QStringList lendingFolders(bool familyWords) const;
};

[[nodiscard]] GameFolders findGameFolders(const QString& executableDirectory);

// The family's folder on this platform: "trouvimo" in the user's data folder on Linux
// ($XDG_DATA_HOME, by default ~/.local/share), "Trouvimo" in the roaming application data on
// Windows (%APPDATA%). Empty when the user has no such folder at all.
[[nodiscard]] QString familyFolder();

// The class's folder on this computer: "Trouvimo" in the common application data on Windows
// (%ProgramData%); on Linux the first folder of $XDG_DATA_DIRS that has a "trouvimo" folder, or
// "trouvimo" in the first of them (/usr/local/share/trouvimo by default).
[[nodiscard]] QString classFolder();

// The computer's settings, trouvimo.conf: in %ProgramData%\Trouvimo on Windows; on Linux in the
// first folder of $XDG_CONFIG_DIRS that has a "trouvimo" folder, or "trouvimo" in the first of them
// (/etc/xdg/trouvimo/trouvimo.conf by default).
[[nodiscard]] QString computerSettingsFile();

// The "trouvimo" folder of the first of `folders` (a list such as $XDG_DATA_DIRS, separated by
// colons) that has one, or of the first of them when none has; `fallback`'s when the list is empty.
[[nodiscard]] QString firstTrouvimoFolder(const QString& folders, const QString& fallback);

// Whether the folder exists and this user may write in it. Nothing is written to find out.
[[nodiscard]] bool canWriteFolder(const QString& folder);

// Makes the computer's own folder (the class's words, the settings) where it is missing, and keeps
// it for those who administer the computer: every user reads it, only administrators write in it.
// On Windows every user may add files to the common application data, and so to a folder made in
// it, unless its access list says otherwise. False when the folder could not be made or kept so.
[[nodiscard]] bool keepComputerFolder(const QString& folder);

// The line end that the system's own text editor writes, for a word list the game starts.
[[nodiscard]] QByteArray newTextLineEnd();

// Makes the fonts the game carries with it, in the "fonts" folder of its data, known to the game
// alone, where the system does not have them; nothing where the system provides them.
void loadCarriedFonts(const QString& dataFolder);

} // namespace trouvimo
