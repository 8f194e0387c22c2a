#include "platform/process/ImmediateExit.h"

#include "platform/display/Display.h"
#include "platform/display/DisplayConnection.h"

#include "FakeSoundPlayer.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

struct ChildOutcome {
    bool exitedNormally = false;
    int exitCode = -1;
    QByteArray output;
    qint64 milliseconds = 0;
};

// Runs `body` in a child process whose standard output is a pipe, after writing a line that
// stays in the stdio buffer (a pipe is fully buffered), and reports how the child ended. A child
// that comes back from `body` writes " and more" and ends with code 3.
ChildOutcome runInChild(const std::function<void()>& body)
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
        body();
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

// A display that says on standard output when it is put back, so that the parent sees whether
// that happened before the end.
class ReportingDisplay final : public trouvimo::Display {
public:
    [[nodiscard]] QSize monitorSize() const override { return {800, 600}; }
    bool switchTo(QSize /*size*/) override { return true; }
    void restore() override { std::printf(", restored"); }
};

ChildOutcome endChildProcess(bool soundPlaying, std::chrono::milliseconds grace)
{
    return runInChild([soundPlaying, grace] {
        FakeSoundPlayer player;
        player.playing = soundPlaying;
        ReportingDisplay display;
        ImmediateExit(player, display, grace).exitGame();
    });
}

} // namespace

class ImmediateExitTest : public QObject {
    Q_OBJECT

private slots:
    void restoresTheDisplayThenEndsWithCodeZero_data();
    void restoresTheDisplayThenEndsWithCodeZero();
    void givesAPlayingSoundItsGrace();
    void endsAtOnceWhenTheDisplayConnectionBreaks_data();
    void endsAtOnceWhenTheDisplayConnectionBreaks();
};

void ImmediateExitTest::restoresTheDisplayThenEndsWithCodeZero_data()
{
    QTest::addColumn<bool>("soundPlaying");
    QTest::newRow("silent") << false;
    QTest::newRow("sound still playing") << true;
}

void ImmediateExitTest::restoresTheDisplayThenEndsWithCodeZero()
{
    QFETCH(bool, soundPlaying);
    const ChildOutcome outcome = endChildProcess(soundPlaying, std::chrono::milliseconds(100));
    QVERIFY(outcome.exitedNormally);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.output, QByteArray("goodbye, restored"));
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

void ImmediateExitTest::endsAtOnceWhenTheDisplayConnectionBreaks_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    // Qt's report of a broken X connection ends the process at once, with what was written
    // flushed; every other message leaves the process to go on.
    QTest::newRow("connection broke")
        << u"The X11 connection broke (error 1). Did the X11 server die?"_s << 1
        << QByteArray("goodbye");
    QTest::newRow("another warning")
        << u"QXcbConnection: XCB error: 3 (BadWindow)"_s << 3 << QByteArray("goodbye and more");
    QTest::newRow("the words later in a message")
        << u"Reported: The X11 connection broke"_s << 3 << QByteArray("goodbye and more");
}

void ImmediateExitTest::endsAtOnceWhenTheDisplayConnectionBreaks()
{
    QFETCH(QString, message);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    const ChildOutcome outcome = runInChild([&message] {
        // Qt's own handler, which writes to stderr, instead of the test's, which writes to stdout.
        qInstallMessageHandler(nullptr);
        endAtOnceWhenTheDisplayConnectionBreaks();
        qWarning("%s", qPrintable(message));
    });
    QVERIFY(outcome.exitedNormally);
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.output, output);
}

QTEST_GUILESS_MAIN(ImmediateExitTest)
#include "tst_immediateexit.moc"
