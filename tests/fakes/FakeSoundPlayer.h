#pragma once

#include "platform/sound/SoundPlayer.h"

#include <QStringList>

namespace trouvimo {

// Records every file it is asked to play, in order. A test decides what isPlaying() answers.
class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& file) override { played.append(file); }
    [[nodiscard]] bool isPlaying() const override { return playing; }

    QStringList played;
    bool playing = false;
};

} // namespace trouvimo
