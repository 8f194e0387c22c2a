#include "platform/process/SignalWatcher.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trouvimo {

namespace {

// Written only before the handlers are installed and after they are removed.
volatile int writeSocket = -1;

extern "C" void forwardSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full socket means a byte is already waiting; dropping this one loses nothing useful.
    [[maybe_unused]] const ssize_t written = ::write(writeSocket, &byte, 1);
    errno = savedErrno;
}

void makeNonBlockingAndCloseOnExec(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

constexpr std::array<int, 3> kWatchedSignals {SIGINT, SIGTERM, SIGHUP};

} // namespace

// The signal handler only writes the signal number into a socket pair, which the event loop
// reads.
struct SignalWatcher::Hooks {
    std::array<int, 2> sockets {-1, -1};
    std::array<struct sigaction, kWatchedSignals.size()> previousActions {};
    QSocketNotifier* notifier = nullptr;
};

SignalWatcher::SignalWatcher(QObject* parent)
    : QObject(parent)
    , m_hooks(std::make_unique<Hooks>())
{
    if (writeSocket != -1)
        throw std::logic_error("only one SignalWatcher may exist at a time");
    std::array<int, 2>& sockets = m_hooks->sockets;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets.data()) != 0)
        throw std::runtime_error("socketpair failed");
    for (const int fd : sockets)
        makeNonBlockingAndCloseOnExec(fd);
    writeSocket = sockets[1];

    m_hooks->notifier = new QSocketNotifier(sockets[0], QSocketNotifier::Read, this);
    connect(m_hooks->notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(m_hooks->sockets[0], &byte, 1) == 1)
            emit terminationRequested(byte);
    });

    struct sigaction action { };
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i)
        ::sigaction(kWatchedSignals[i], &action, &m_hooks->previousActions[i]);
}

SignalWatcher::~SignalWatcher()
{
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i)
        ::sigaction(kWatchedSignals[i], &m_hooks->previousActions[i], nullptr);
    writeSocket = -1;
    m_hooks->notifier->setEnabled(false);
    for (const int fd : m_hooks->sockets)
        ::close(fd);
}

} // namespace trouvimo
