#include "mywords/MyWordsAccess.h"

namespace trouvimo {

MyWordsAccess myWordsAccess(const GameFolders& folders, const ComputerSettings& settings,
                            const std::function<bool(const QString&)>& canWrite)
{
    if (!settings.wordsWindow)
        return {};
    if (!folders.classroom.isEmpty() && canWrite(folders.classroom))
        return {true, WordSet::Class, folders.classroom, {folders.classroom}};
    if (settings.familyWords && !folders.own.isEmpty())
        return {true, WordSet::Family, folders.own, folders.lendingFolders(true)};
    return {};
}

} // namespace trouvimo
