#include "platform/process/EventLoopPause.h"
#include "platform/process/SystemClock.h"

#include "FakeClock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>

#include <ctime>

using namespace trouvimo;

namespace {

// Counts the events of one custom type that reach it.
class EventCounter final : public QObject {
public:
    static constexpr auto type = static_cast<QEvent::Type>(QEvent::User + 1);
    int received = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == type) {
            ++received;
            return true;
        }
        return QObject::event(event);
    }
};

double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double secondsBetween(double start, double end)
{
    return end >= start ? end - start : end + FakeClock::secondsPerDay - start;
}

} // namespace

class PauseTest : public QObject {
    Q_OBJECT

private slots:
    void nothingPositiveProcessesNoEvent_data();
    void nothingPositiveProcessesNoEvent();
    void handlersRunInsideThePause();
    void pausesNestInsideEachOther();
    void lastsAtLeastTheDurationByTheClock();
    void sleepsWhileItWaits();
    void lastsItsFullLengthAcrossMidnight();
    void endsWhenTheClockStandsStill();
    void endsWhenTheClockGoesBack();
};

void PauseTest::nothingPositiveProcessesNoEvent_data()
{
    QTest::addColumn<float>("seconds");
    QTest::newRow("zero") << 0.0F;
    QTest::newRow("negative") << -1.0F;
    QTest::newRow("negative zero") << -0.0F;
}

void PauseTest::nothingPositiveProcessesNoEvent()
{
    QFETCH(float, seconds);
    FakeClock clock(1000.0, 0.0);
    EventLoopPause pause(clock);
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(EventCounter::type));

    pause.pause(seconds);

    QCOMPARE(counter.received, 0);
    QCoreApplication::sendPostedEvents(&counter);
    QCOMPARE(counter.received, 1);
}

void PauseTest::handlersRunInsideThePause()
{
    SystemClock clock;
    EventLoopPause pause(clock);
    bool ranInside = false;
    bool pausing = false;
    QTimer::singleShot(0, this, [&] { ranInside = pausing; });
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(EventCounter::type));

    pausing = true;
    pause.pause(0.1F);
    pausing = false;

    QVERIFY(ranInside);
    QCOMPARE(counter.received, 1);
}

void PauseTest::pausesNestInsideEachOther()
{
    SystemClock clock;
    EventLoopPause pause(clock);
    int depth = 0;
    int deepest = 0;
    QTimer::singleShot(10, this, [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        pause.pause(0.1F);
        --depth;
    });
    ++depth;
    pause.pause(0.05F);
    --depth;

    QCOMPARE(deepest, 2);
    QCOMPARE(depth, 0);
}

void PauseTest::lastsAtLeastTheDurationByTheClock()
{
    SystemClock clock;
    EventLoopPause pause(clock);
    const double start = clock.secondsSinceMidnight();
    pause.pause(0.5F);
    QVERIFY2(secondsBetween(start, clock.secondsSinceMidnight()) >= 0.5,
             "the pause returned before half a second had passed");
}

void PauseTest::sleepsWhileItWaits()
{
    SystemClock clock;
    EventLoopPause pause(clock);
    const double cpuBefore = processCpuSeconds();
    pause.pause(0.5F);
    const double cpu = processCpuSeconds() - cpuBefore;
    QVERIFY2(cpu < 0.05, qPrintable(QStringLiteral("%1 s of processor time").arg(cpu)));
}

void PauseTest::lastsItsFullLengthAcrossMidnight()
{
    // Each reading moves the clock on a tenth of a second, from 86399.8 through midnight.
    FakeClock clock(86399.8, 0.1);
    EventLoopPause pause(clock);
    pause.pause(0.5F);
    // The last reading is the one that showed half a second gone: 0.3 after midnight, give or
    // take the readings between the test and the wait. Without the move back of the start the
    // clock would have gone round many more readings before the steady clock ended the pause.
    const double lastReading = clock.now - clock.step;
    QVERIFY2(lastReading >= 0.3 - 1e-9 && lastReading < 0.6,
             qPrintable(QStringLiteral("last reading %1").arg(lastReading)));
}

void PauseTest::endsWhenTheClockStandsStill()
{
    FakeClock clock(43200.0, 0.0);
    EventLoopPause pause(clock);
    pause.pause(0.2F);
    QVERIFY(clock.readings > 1);
}

void PauseTest::endsWhenTheClockGoesBack()
{
    FakeClock clock(43200.0, -0.01);
    EventLoopPause pause(clock);
    pause.pause(0.2F);
    QVERIFY(clock.readings > 1);
}

QTEST_GUILESS_MAIN(PauseTest)
#include "tst_pause.moc"
