#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>

#include <sys/types.h>

class QSocketNotifier;

namespace trouvimo {

// The game's end of the guardian process, which puts a switched monitor back if the game dies
// without doing it itself (SIGKILL, a crash, the out-of-memory killer, its whole process group
// killed): nothing in a dead process can restore anything, so another process must hold the
// saved configuration. The guardian runs in a session of its own, beyond the reach of the
// game's process group and terminal.
//
// start() runs the guardian and hands it the configuration to return to; dismiss() tells it that
// the game has put the display back, and it ends. If the game dies first, the guardian reads the
// end of its socket and restores. Until dismiss(), the event loop watches the guardian: one that
// is killed or crashes is replaced by a new one holding the same configuration.
class DisplayGuard {
public:
    // program: the guardian's executable, beside the game's.
    explicit DisplayGuard(QString program);
    ~DisplayGuard();

    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    // Runs the guardian on that X display with the configuration to return to, one line of
    // text; false when it could not be started.
    bool start(const QString& displayName, const std::string& savedLine);
    void dismiss();

    [[nodiscard]] bool running() const { return m_toGuardian != -1; }

private:
    // The watch may be what called the guard when it stops: it is switched off at once and
    // deleted once its signal has returned.
    struct RetireWatch {
        void operator()(QSocketNotifier* watch) const;
    };

    bool spawn();
    void readGuardian();

    QString m_program;
    QByteArray m_displayName;
    std::string m_savedLine;
    int m_toGuardian = -1;
    pid_t m_pid = -1;
    std::unique_ptr<QSocketNotifier, RetireWatch> m_watch;
};

} // namespace trouvimo
