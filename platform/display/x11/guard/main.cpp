// trouvimo-display-guard DISPLAY
//
// Watches over a monitor that the game has switched. Its standard input is a socket from the
// game, which first sends the configuration it found before the switch, as one line (see
// randr::toLine), and later "done" once it has put the display back itself. The end of the
// socket without "done" means the game died (killed, crashed): the guardian then puts the
// display back and removes the game's record of it from the server. Either way it ends at once.
//
// The game sends the line and switches without waiting for the guardian: the line waits in the
// socket, and stays readable after the game is gone. The game starts the guardian in a session
// of its own, so that nothing sent to the game's process group or terminal (Ctrl+C, the
// terminal closing, a job killed from the shell) reaches it.

#include "platform/display/x11/randr/RandrScreen.h"
#include "platform/display/x11/randr/ScreenLayout.h"
#include "platform/display/x11/randr/SwitchRecord.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

constexpr int kUsage = 2;

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// What the game said until its socket ended.
std::string readUntilEnd()
{
    std::string received;
    char buffer[256];
    for (;;) {
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count > 0) {
            received.append(buffer, static_cast<std::size_t>(count));
            if (received.find("done") != std::string::npos)
                return received;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        return received;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
        return kUsage;

    const std::string received = readUntilEnd();
    const std::size_t lineEnd = received.find('\n');
    if (lineEnd == std::string::npos)
        return kUsage;
    const std::string line = received.substr(0, lineEnd + 1);
    const auto saved = trouvimo::randr::fromLine(line);
    if (!saved)
        return kUsage;
    // Nothing is asked of the server once the game has done its part, even if the server no
    // longer answers.
    if (received.find("done", lineEnd) != std::string::npos)
        return 0;

    // Whatever the server does, the guardian does not outlive the game by more than a second.
    ::alarm(1);
    // A display that went away leaves nothing to put back: every request then fails at once.
    int screenNumber = 0;
    const std::unique_ptr<xcb_connection_t, Disconnect> connection(
        xcb_connect(argv[1], &screenNumber));
    trouvimo::randr::RandrScreen(connection.get(), screenNumber).restore(*saved);
    trouvimo::randr::SwitchRecord(connection.get(), screenNumber).erase(line);
    return 0;
}
