#pragma once

#include <QString>

#include <string>

namespace trouvimo {

// The game's end of the guardian process, which puts a switched monitor back if the game dies
// without doing it itself (SIGKILL, a crash, the out-of-memory killer): nothing in a dead
// process can restore anything, so another process must hold the saved configuration.
//
// start() runs the guardian and hands it the configuration to return to; dismiss() tells it that
// the game has put the display back, and it ends. If the game dies first, the guardian reads the
// end of its socket and restores.
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
    QString m_program;
    int m_toGuardian = -1;
};

} // namespace trouvimo
