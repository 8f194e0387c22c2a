#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace trouvimo {

// What a school or a family fixes for every user of the computer, in trouvimo.conf: an INI file
// with one group, [Trouvimo], whose keys are true or false. A key the file does not give keeps
// the game as it is without the file.
struct ComputerSettings {
    // Whether the game may switch the monitor to 800 x 600; otherwise it fills the monitor as it
    // is, as with --keep-display.
    bool switchDisplay = true;
    // Whether the words are said aloud; otherwise the board has neither the voice box nor the
    // speaker button.
    bool sayWords = true;
    // Whether the difficult level is on when the board opens.
    bool difficultAtStart = false;
    // Whether the "My words" window is offered.
    bool wordsWindow = true;
    // Whether the family's own folder is read at all.
    bool familyWords = true;
    // Whether Quitter and the window's close box need a press held for a while.
    bool holdToQuit = false;
};

// A line of the file that the game does not understand and leaves aside.
struct SettingsFinding {
    enum class Kind {
        NotALine, // neither a group, a key and its value, a comment nor an empty line
        OtherGroup, // a group other than [Trouvimo]; its keys are left aside with it
        OutsideGroup, // a key before the [Trouvimo] group
        UnknownKey,
        NotTrueOrFalse,
    };
    int line = 0;
    Kind kind = Kind::NotALine;
    // The line as written, without the spaces around it.
    QString text;
};

struct SettingsRead {
    ComputerSettings settings;
    QList<SettingsFinding> findings;
};

// The keys of the file, as it spells them.
[[nodiscard]] QStringList settingKeys();

// Reads the file's bytes (UTF-8); group and key names are taken in any case, and true and false
// also as 1 and 0 or yes and no.
[[nodiscard]] SettingsRead readComputerSettings(const QByteArray& bytes);

// Reads the file; a missing or unreadable file is no setting at all.
[[nodiscard]] SettingsRead loadComputerSettings(const QString& file);

// The settings an installer was given, by key; a key it was not given is left out of the file.
struct GivenSettings {
    std::optional<bool> switchDisplay;
    std::optional<bool> sayWords;
    std::optional<bool> difficultAtStart;
    std::optional<bool> wordsWindow;
    std::optional<bool> familyWords;
    std::optional<bool> holdToQuit;

    [[nodiscard]] bool any() const;
};

// The settings given to the installer as properties named as the keys in capitals, each "1",
// "0" or empty when not given ("SAYWORDS=0"); other arguments are left aside.
[[nodiscard]] GivenSettings givenSettings(const QStringList& properties);

// The file an installer writes for the settings it was given. It carries a check of its own
// content, so that a later installation can tell a file the school has changed since, which it
// keeps, from its own.
[[nodiscard]] QByteArray installedSettingsFile(const GivenSettings& given);

// Whether `bytes` is a file installedSettingsFile() wrote and nobody has changed since.
[[nodiscard]] bool isUnchangedInstalledFile(const QByteArray& bytes);

enum class InstallOutcome {
    NothingGiven, // the file, if any, is left as it is
    KeptChangedFile, // the file was changed since an installation wrote it, or by hand
    Written,
    NotWritten, // the folder or the file could not be written
};

// What an installation does with the settings it was given: writes them to `file`, atomically,
// unless it was given none or the file there is one the school has written or changed.
[[nodiscard]] InstallOutcome installSettings(const QString& file, const GivenSettings& given);

} // namespace trouvimo
