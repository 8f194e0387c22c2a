#include "platform/DisplayGuard.h"

#include <QByteArray>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace trouvimo {

namespace {

// One end for the game and one for the guardian, whose standard input and output it becomes.
// A socket rather than a pipe, so that the game's last word to a guardian that is already gone
// is sent with MSG_NOSIGNAL instead of raising SIGPIPE.
class Channel {
public:
    Channel() { m_open = ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_ends.data()) == 0; }
    ~Channel()
    {
        closeEnd(m_ends[0]);
        closeEnd(m_ends[1]);
    }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    [[nodiscard]] bool open() const { return m_open; }
    [[nodiscard]] int gameEnd() const { return m_ends[0]; }
    [[nodiscard]] int guardianEnd() const { return m_ends[1]; }
    int releaseGameEnd() { return std::exchange(m_ends[0], -1); }
    void closeGuardianEnd() { closeEnd(m_ends[1]); }

private:
    static void closeEnd(int& fd)
    {
        if (fd != -1)
            ::close(std::exchange(fd, -1));
    }

    std::array<int, 2> m_ends {-1, -1};
    bool m_open = false;
};

// Waits for the guardian's "ready" line until the deadline; false if it ended or stayed silent.
bool readReady(int fd, int timeoutMs)
{
    std::string received;
    timespec start {};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long elapsed =
            (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsed >= timeoutMs)
            return false;
        pollfd watched {fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(timeoutMs - elapsed));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char buffer[16];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        received.append(buffer, static_cast<std::size_t>(count));
        if (received.find("ready\n") != std::string::npos)
            return true;
    }
}

} // namespace

DisplayGuard::DisplayGuard(QString program)
    : m_program(std::move(program))
{
}

DisplayGuard::~DisplayGuard()
{
    // A guard still running when the game's objects go away (a test, an orderly exit) is
    // dismissed rather than left to restore a display the owner already handled.
    dismiss();
}

bool DisplayGuard::start(const QString& displayName, unsigned long crtc, int timeoutMs)
{
    if (running())
        return true;
    Channel channel;
    if (!channel.open())
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel.guardianEnd(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, channel.guardianEnd(), STDOUT_FILENO);
    const QByteArray program = m_program.toLocal8Bit();
    const QByteArray display = displayName.toLocal8Bit();
    const std::string crtcText = std::to_string(crtc);
    std::vector<char*> argv {const_cast<char*>(program.constData()),
                             const_cast<char*>(display.constData()),
                             const_cast<char*>(crtcText.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;

    channel.closeGuardianEnd();
    if (!readReady(channel.gameEnd(), timeoutMs)) {
        // Without a saved configuration the guardian is of no use; the end of its channel,
        // when the channel goes out of scope, ends it.
        ::waitpid(pid, nullptr, WNOHANG);
        return false;
    }
    m_pid = pid;
    m_toGuardian = channel.releaseGameEnd();
    return true;
}

void DisplayGuard::dismiss()
{
    if (!running())
        return;
    static constexpr char kDone[] = "done\n";
    ::send(m_toGuardian, kDone, sizeof kDone - 1, MSG_NOSIGNAL);
    ::close(std::exchange(m_toGuardian, -1));
    m_pid = -1;
}

} // namespace trouvimo
