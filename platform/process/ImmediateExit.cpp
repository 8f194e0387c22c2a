#include "platform/process/ImmediateExit.h"

#include "platform/display/Display.h"
#include "platform/sound/SoundPlayer.h"

#include <QGuiApplication>
#include <QWindow>

#include <cstdio>
#include <thread>

#include <unistd.h>

namespace trouvimo {

ImmediateExit::ImmediateExit(const SoundPlayer& player, Display& display,
                             std::chrono::milliseconds soundGrace)
    : m_player(player)
    , m_display(display)
    , m_soundGrace(soundGrace)
{
}

void ImmediateExit::exitGame()
{
    // The child sees the game end the moment it asks; only the chime may go on a little.
    // A program without windows (a QCoreApplication) has none to hide.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        for (QWindow* window : QGuiApplication::topLevelWindows())
            window->hide();
    }
    m_display.restore();

    // The standard streams alone: flushing every stream would wait for each one's lock, and the
    // speech server's client holds the lock of its socket's stream while it waits for a reply.
    std::fflush(stdout);
    std::fflush(stderr);

    const auto deadline = std::chrono::steady_clock::now() + m_soundGrace;
    while (m_player.isPlaying() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    ::_exit(0);
}

} // namespace trouvimo
