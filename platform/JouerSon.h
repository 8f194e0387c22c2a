#pragma once

namespace trouvimo {

class DataPaths;
class SoundPlayer;
struct SharedValues;

// Plays the sound named by values.CheminSon in the background and returns at once. The path is
// looked up on disk the way every data path of the game is; a path that DataPaths refuses is
// not played at all.
void JouerSon(const SharedValues& values, const DataPaths& paths, SoundPlayer& player);

} // namespace trouvimo
