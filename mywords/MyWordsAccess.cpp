#include "mywords/MyWordsAccess.h"

namespace trouvimo {

MyWordsAccess myWordsAccess(const GameFolders& folders)
{
    return {!folders.own.isEmpty(), folders.own};
}

} // namespace trouvimo
