#include "gamedata/Recordings.h"

#include "platform/DataPaths.h"

#include <QFileInfo>

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
    QStringList written;
    for (const QString& suffix : recordingSuffixes())
        written.append(paths.join(language.recordingFolder + word + suffix));
    std::optional<QString> found = paths.resolveFirstFile(written);
    if (found && !QFileInfo(*found).isFile())
        return std::nullopt;
    return found;
}

} // namespace trouvimo
