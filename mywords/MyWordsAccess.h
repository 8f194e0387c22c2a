#pragma once

#include "platform/files/GameFolders.h"
#include "settings/ComputerSettings.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace trouvimo {

// The words the "My words" window edits: a family's own, or a class's, for every user of the
// computer.
enum class WordSet { Family, Class };

// Whether the game offers the "My words" window, and what it edits: the one place that decides
// both, for the command line and the start screen alike.
struct MyWordsAccess {
    bool offered = false;
    WordSet set = WordSet::Family;
    // The folder the window writes to.
    QString folder;
    // The folders whose files the words edited there are played with, before the game's own.
    QStringList lending;
};

// Not offered where the computer's settings say so. Otherwise the class's words to whoever may
// write in the class's folder, once it is made (a teacher's or an administrator's account); the
// family's own to the others, where the family has a folder and the settings let it be read.
[[nodiscard]] MyWordsAccess myWordsAccess(const GameFolders& folders,
                                          const ComputerSettings& settings,
                                          const std::function<bool(const QString&)>& canWrite);

} // namespace trouvimo
