// trouvimo-display-guard DISPLAY CRTC
//
// Watches over a monitor that the game has switched. It saves the monitor's configuration and
// the screen size, says "ready" on its standard output, then waits on its standard input, a
// pipe from the game. "done" means the game has put the display back itself; the end of the
// pipe without it means the game died (killed, crashed) and the guardian puts the display back.
// Either way it ends at once.

#include "randr/IgnoredXErrors.h"
#include "randr/RandrScreen.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

constexpr int kUsage = 2;
constexpr int kNoDisplay = 3;

struct CloseDisplay {
    void operator()(::Display* connection) const { XCloseDisplay(connection); }
};

// A display that went away leaves nothing to put back; Xlib's own handler would print a report.
int endQuietly(::Display* /*connection*/)
{
    ::_exit(0);
}

bool writeAll(int fd, const std::string& text)
{
    return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Reads the pipe until it ends; true if the game said "done" before that.
bool gameSaidDone()
{
    std::string received;
    char buffer[64];
    for (;;) {
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count > 0) {
            received.append(buffer, static_cast<std::size_t>(count));
            if (received.find("done") != std::string::npos)
                return true;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        return false;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return kUsage;
    char* end = nullptr;
    const unsigned long crtc = std::strtoul(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0')
        return kUsage;

    // Ctrl+C in a terminal or the terminal closing reaches the whole process group; the game
    // answers those itself, and the guardian must outlive it to do its work.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);

    const std::unique_ptr<::Display, CloseDisplay> connection(XOpenDisplay(argv[1]));
    if (!connection)
        return kNoDisplay;
    XSetIOErrorHandler(endQuietly);
    trouvimo::randr::RandrScreen screen(connection.get());
    const auto saved = screen.read(crtc);
    if (!saved)
        return kNoDisplay;
    if (!writeAll(STDOUT_FILENO, "ready\n"))
        return 0;
    ::close(STDOUT_FILENO);

    // Nothing more is asked of the server once the game has done its part, even if the server
    // no longer answers.
    if (gameSaidDone())
        ::_exit(0);
    // Whatever the server does, the guardian does not outlive the game by more than a second.
    ::alarm(1);
    screen.restore(*saved);
    return 0;
}
