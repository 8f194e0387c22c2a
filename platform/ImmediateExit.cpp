#include "ImmediateExit.h"

#include "Sound.h"

#include <cstdio>
#include <iostream>
#include <thread>

#include <unistd.h>

namespace trouvimo {

ImmediateExit::ImmediateExit(const SoundPlayer& player, std::chrono::milliseconds soundGrace)
    : m_player(player)
    , m_soundGrace(soundGrace)
{
}

void ImmediateExit::endProcess()
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);

    const auto deadline = std::chrono::steady_clock::now() + m_soundGrace;
    while (m_player.isPlaying() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    ::_exit(0);
}

} // namespace trouvimo
