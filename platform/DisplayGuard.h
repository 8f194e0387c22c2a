#pragma once

#include <QString>

#include <sys/types.h>

namespace trouvimo {

// The game's end of the guardian process, which puts a switched monitor back if the game dies
// without doing it itself (SIGKILL, a crash, the out-of-memory killer): nothing in a dead
// process can restore anything, so another process must hold the saved configuration.
//
// start() runs the guardian and waits until it has saved the configuration; dismiss() tells it
// that the game has put the display back, and it ends. If the game dies first, the guardian
// reads the end of its pipe and restores.
class DisplayGuard {
public:
    // program: the guardian's executable, beside the game's.
    explicit DisplayGuard(QString program);
    ~DisplayGuard();

    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

    // Runs the guardian for that CRTC on that X display; true once it has saved the
    // configuration, false when it could not be started or did not answer in time.
    bool start(const QString& displayName, unsigned long crtc, int timeoutMs = 2000);
    void dismiss();

    [[nodiscard]] bool running() const { return m_toGuardian != -1; }
    [[nodiscard]] pid_t pid() const { return m_pid; }

private:
    QString m_program;
    int m_toGuardian = -1;
    pid_t m_pid = -1;
};

} // namespace trouvimo
