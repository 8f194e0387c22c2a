#include "platform/display/x11/DisplayGuard.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
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
    m_displayName = displayName.toLocal8Bit();
    m_savedLine = savedLine;
    return spawn();
}

bool DisplayGuard::spawn()
{
    Channel channel;
    if (!channel.open())
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel.guardianEnd(), STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    const QByteArray program = m_program.toLocal8Bit();
    std::vector<char*> argv {const_cast<char*>(program.constData()),
                             const_cast<char*>(m_displayName.constData()), nullptr};
    const int spawned =
        ::posix_spawn(&m_pid, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    channel.closeGuardianEnd();

    // The line waits in the socket until the guardian reads it, so the game goes on at once.
    const ssize_t sent =
        ::send(channel.gameEnd(), m_savedLine.data(), m_savedLine.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(m_savedLine.size()))
        return false;
    m_toGuardian = channel.releaseGameEnd();
    // The guardian writes nothing: its end of the socket becomes readable only when it ends.
    m_watch.reset(new QSocketNotifier(m_toGuardian, QSocketNotifier::Read));
    QObject::connect(m_watch.get(), &QSocketNotifier::activated, m_watch.get(),
                     [this] { readGuardian(); });
    return true;
}

void DisplayGuard::readGuardian()
{
    char byte = 0;
    const ssize_t count = ::recv(m_toGuardian, &byte, 1, MSG_DONTWAIT);
    if (count > 0 || (count < 0 && (errno == EAGAIN || errno == EINTR)))
        return;
    m_watch.reset();
    ::close(std::exchange(m_toGuardian, -1));
    // Its socket ends as the guardian exits, so this wait is short.
    int status = 0;
    if (::waitpid(m_pid, &status, 0) != m_pid)
        return;
    // A guardian that ended by itself could not do its work and would end the same way again;
    // one that was killed or crashed is replaced.
    if (WIFSIGNALED(status))
        spawn();
}

void DisplayGuard::RetireWatch::operator()(QSocketNotifier* watch) const
{
    watch->setEnabled(false);
    watch->deleteLater();
}

void DisplayGuard::dismiss()
{
    if (!running())
        return;
    m_watch.reset();
    static constexpr char kDone[] = "done\n";
    ::send(m_toGuardian, kDone, sizeof kDone - 1, MSG_NOSIGNAL);
    ::close(std::exchange(m_toGuardian, -1));
}

} // namespace trouvimo
