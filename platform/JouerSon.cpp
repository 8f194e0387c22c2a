#include "JouerSon.h"

#include "DataPaths.h"
#include "SharedValues.h"
#include "Sound.h"

namespace trouvimo {

void JouerSon(const SharedValues& values, const DataPaths& paths, SoundPlayer& player)
{
    if (const std::optional<QString> file = paths.resolve(values.CheminSon))
        player.play(*file);
}

} // namespace trouvimo
