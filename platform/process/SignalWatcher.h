#pragma once

#include <QObject>

#include <memory>

namespace trouvimo {

// Turns the system's requests to end the game into the Qt signal terminationRequested(),
// delivered on the thread that created the watcher, so that a terminal closing, a `kill` or the
// end of the session ends the game through its ordinary closing path (which restores the
// display) instead of killing it mid-way: SIGINT, SIGTERM and SIGHUP on Linux; on Windows the
// session ending (logging off, shutting down) and Ctrl+C or the close of a console the game was
// started from.
//
// The system's handler only passes the request on; everything else happens in the event loop.
// One watcher may exist at a time; its destructor puts the previous handlers back.
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
    // The platform's own means of hearing the requests.
    struct Hooks;
    std::unique_ptr<Hooks> m_hooks;
};

} // namespace trouvimo
