#include "gamedata/Recordings.h"

#include "gamedata/WordFiles.h"

using namespace Qt::StringLiterals;

namespace trouvimo {

const QStringList& recordingSuffixes()
{
    static const QStringList suffixes {u".wav"_s, u".flac"_s, u".ogg"_s};
    return suffixes;
}

std::optional<QString> findRecording(const DataPaths& paths, const LanguageData& language,
                                     const QString& word)
{
    return findExistingWordFile(paths, language.recordingFolder, word, recordingSuffixes());
}

} // namespace trouvimo
