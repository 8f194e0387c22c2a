#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace trouvimo {

// Turns SIGINT, SIGTERM and SIGHUP into the Qt signal terminationRequested(), delivered on the
// thread that created the watcher, so that a terminal closing or a `kill` ends the game through
// its ordinary closing path (which restores the display) instead of killing it mid-way.
//
// The signal handler only writes the signal number into a socket pair; everything else happens
// in the event loop. One watcher may exist at a time; its destructor puts the previous
// handlers back.
class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

signals:
    void terminationRequested(int signalNumber);

private:
    void readPendingSignals();

    static constexpr std::array<int, 3> kWatchedSignals {SIGINT, SIGTERM, SIGHUP};

    std::array<int, 2> m_sockets {-1, -1};
    std::array<struct sigaction, kWatchedSignals.size()> m_previousActions {};
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace trouvimo
