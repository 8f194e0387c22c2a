#include "platform/DisplayGuard.h"

#include <QByteArray>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include <spawn.h>
#include <sys/socket.h>
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

bool DisplayGuard::start(const QString& displayName, const std::string& savedLine)
{
    if (running())
        return true;
    Channel channel;
    if (!channel.open())
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel.guardianEnd(), STDIN_FILENO);
    const QByteArray program = m_program.toLocal8Bit();
    const QByteArray display = displayName.toLocal8Bit();
    std::vector<char*> argv {const_cast<char*>(program.constData()),
                             const_cast<char*>(display.constData()), nullptr};
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    channel.closeGuardianEnd();

    // The line waits in the socket until the guardian reads it, so the game goes on at once.
    const ssize_t sent =
        ::send(channel.gameEnd(), savedLine.data(), savedLine.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(savedLine.size()))
        return false;
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
}

} // namespace trouvimo
