#include "platform/sound/SoundThread.h"

#include <QCoreApplication>

// Loads the sound module and looks for an audio output as the game does, with Qt's own message
// handling, so that what it prints is what the game would print. Exits with 0 when it found one.
int main(int argc, char** argv)
{
    const QCoreApplication application(argc, argv);
    trouvimo::SoundThread player(QStringLiteral(TROUVIMO_SOUND_MODULE));
    return player.waitUntilReady() ? 0 : 1;
}
