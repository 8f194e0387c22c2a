#include "platform/SignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
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

} // namespace

SignalWatcher::SignalWatcher(QObject* parent)
    : QObject(parent)
{
    if (writeSocket != -1)
        throw std::logic_error("only one SignalWatcher may exist at a time");
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, m_sockets.data()) != 0)
        throw std::runtime_error("socketpair failed");
    for (const int fd : m_sockets)
        makeNonBlockingAndCloseOnExec(fd);
    writeSocket = m_sockets[1];

    m_notifier = new QSocketNotifier(m_sockets[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPendingSignals);

    struct sigaction action { };
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i)
        ::sigaction(kWatchedSignals[i], &action, &m_previousActions[i]);
}

SignalWatcher::~SignalWatcher()
{
    for (std::size_t i = 0; i < kWatchedSignals.size(); ++i)
        ::sigaction(kWatchedSignals[i], &m_previousActions[i], nullptr);
    writeSocket = -1;
    m_notifier->setEnabled(false);
    for (const int fd : m_sockets)
        ::close(fd);
}

void SignalWatcher::readPendingSignals()
{
    unsigned char byte = 0;
    while (::read(m_sockets[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}

} // namespace trouvimo
