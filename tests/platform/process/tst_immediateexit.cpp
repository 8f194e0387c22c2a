#include "platform/process/ImmediateExit.h"

#include "platform/display/Display.h"
#include "platform/display/DisplayConnection.h"

#include "FakeSoundPlayer.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

// How long a child may take to end before the test gives up on it: far more than any exit takes
// on a busy machine or under the sanitizers, far less than an exit that hangs.
constexpr int kPatientMs = 60000;

struct ChildOutcome {
    bool ended = false;
    bool exitedNormally = false;
    int exitCode = -1;
    QByteArray output;
    qint64 milliseconds = 0;
};

// Runs `body` in a child process whose standard output is a pipe, after writing a line that
// stays in the stdio buffer (a pipe is fully buffered), and reports how the child ended. A child
// that comes back from `body` writes " and more" and ends with code 3; one that has not ended
// within kPatientMs is killed, and reported as not ended.
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
    const QDeadlineTimer deadline(kPatientMs);
    char buffer[256];
    pollfd readable {pipeEnds[0], POLLIN, 0};
    while (::poll(&readable, 1, static_cast<int>(deadline.remainingTime())) > 0) {
        const ssize_t count = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (count <= 0)
            break;
        outcome.output.append(buffer, count);
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    outcome.ended = true;
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

// Another thread of the child takes the lock of a stream with unwritten text and keeps it, as the
// speech server's client keeps the lock of its socket's stream while it waits for the server.
void holdAStreamLockForever()
{
    std::FILE* stream = std::fopen("/dev/null", "w");
    std::fputs("waiting", stream);
    std::thread([stream] {
        ::flockfile(stream);
        for (;;)
            ::pause();
    }).detach();
    while (::ftrylockfile(stream) == 0) {
        ::funlockfile(stream);
        std::this_thread::yield();
    }
}

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
    void endsWhileAnotherThreadHoldsAStream_data();
    void endsWhileAnotherThreadHoldsAStream();
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
    QVERIFY(outcome.ended);
    QVERIFY(outcome.exitedNormally);
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.output, QByteArray("goodbye, restored"));
}

void ImmediateExitTest::givesAPlayingSoundItsGrace()
{
    // The lower bound is what the grace promises; the child cannot end sooner than asked while
    // its sound plays, however slow or fast the machine.
    const ChildOutcome playing = endChildProcess(true, std::chrono::milliseconds(400));
    QVERIFY(playing.ended);
    QVERIFY(playing.milliseconds >= 400);
    // An hour's grace: a silent exit that waited for a sound would never end within the test.
    const ChildOutcome silent = endChildProcess(false, std::chrono::hours(1));
    QVERIFY2(silent.ended, "a silent exit waited for a sound");
}

void ImmediateExitTest::endsWhileAnotherThreadHoldsAStream_data()
{
    QTest::addColumn<bool>("displayGone");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("the game's exit") << false << 0 << QByteArray("goodbye, restored");
    QTest::newRow("the display connection broken") << true << 1 << QByteArray("goodbye");
}

void ImmediateExitTest::endsWhileAnotherThreadHoldsAStream()
{
    QFETCH(bool, displayGone);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    const ChildOutcome outcome = runInChild([displayGone] {
        holdAStreamLockForever();
        if (displayGone) {
            qInstallMessageHandler(nullptr);
            endAtOnceWhenTheDisplayConnectionBreaks();
            qWarning("The X11 connection broke (error 1). Did the X11 server die?");
            return;
        }
        FakeSoundPlayer player;
        ReportingDisplay display;
        ImmediateExit(player, display, std::chrono::milliseconds(0)).exitGame();
    });
    QVERIFY2(outcome.ended, "the exit waited for the stream that another thread holds");
    QVERIFY(outcome.exitedNormally);
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.output, output);
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
    QVERIFY(outcome.ended);
    QVERIFY(outcome.exitedNormally);
    QCOMPARE(outcome.exitCode, exitCode);
    QCOMPARE(outcome.output, output);
}

QTEST_GUILESS_MAIN(ImmediateExitTest)
#include "tst_immediateexit.moc"
