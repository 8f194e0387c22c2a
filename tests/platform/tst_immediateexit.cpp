#include "ImmediateExit.h"

#include "FakeSoundPlayer.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

using namespace trouvimo;

namespace {

struct ChildOutcome {
    bool exitedNormally = false;
    int exitCode = -1;
    QByteArray output;
    qint64 milliseconds = 0;
};

// Runs endProcess() in a child process whose standard output is a pipe, after writing a line
// that stays in the stdio buffer (a pipe is fully buffered), and reports how the child ended.
ChildOutcome endChildProcess(bool soundPlaying, std::chrono::milliseconds grace)
{
    ChildOutcome outcome;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return outcome;
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        std::printf("goodbye");
        FakeSoundPlayer player;
        player.playing = soundPlaying;
        ImmediateExit(player, grace).endProcess();
        std::printf(" and more");
        std::fflush(stdout);
        ::_exit(3);
    }
    ::close(pipeEnds[1]);
    char buffer[256];
    ssize_t count = 0;
    while ((count = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        outcome.output.append(buffer, count);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    outcome.milliseconds = timer.elapsed();
    outcome.exitedNormally = WIFEXITED(status);
    outcome.exitCode = WEXITSTATUS(status);
    return outcome;
}

} // namespace

class ImmediateExitTest : public QObject {
    Q_OBJECT

private slots:
    void endsWithCodeZeroAfterFlushing_data();
    void endsWithCodeZeroAfterFlushing();
    void givesAPlayingSoundItsGrace();
};

void ImmediateExitTest::endsWithCodeZeroAfterFlushing_data()
{
    QTest::addColumn<bool>("soundPlaying");
    QTest::newRow("silent") << false;
    QTest::newRow("sound still playing") << true;
}

void ImmediateExitTest::endsWithCodeZeroAfterFlushing()
{
    QFETCH(bool, soundPlaying);
    const ChildOutcome outcome = endChildProcess(soundPlaying, std::chrono::milliseconds(100));
    QVERIFY(outcome.exitedNormally);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.output, QByteArray("goodbye"));
}

void ImmediateExitTest::givesAPlayingSoundItsGrace()
{
    // The lower bounds are what the grace promises; the child cannot end sooner than asked
    // while its sound plays, however slow or fast the machine.
    const ChildOutcome playing = endChildProcess(true, std::chrono::milliseconds(400));
    QVERIFY(playing.milliseconds >= 400);
    const ChildOutcome silent = endChildProcess(false, std::chrono::milliseconds(5000));
    QVERIFY2(silent.milliseconds < 5000, "a silent exit waited for a sound");
}

QTEST_GUILESS_MAIN(ImmediateExitTest)
#include "tst_immediateexit.moc"
