#include "platform/process/SignalWatcher.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace trouvimo;

class SignalWatcherTest : public QObject {
    Q_OBJECT

private slots:
    void turnsSignalsIntoQtSignals_data();
    void turnsSignalsIntoQtSignals();
    void deliversEverySignalOfABurst();
    void putsThePreviousHandlersBack();
};

void SignalWatcherTest::turnsSignalsIntoQtSignals_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
}

void SignalWatcherTest::turnsSignalsIntoQtSignals()
{
    QFETCH(int, signalNumber);
    SignalWatcher watcher;
    QSignalSpy spy(&watcher, &SignalWatcher::terminationRequested);

    QCOMPARE(std::raise(signalNumber), 0);

    QVERIFY(spy.wait(30000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), signalNumber);
}

void SignalWatcherTest::deliversEverySignalOfABurst()
{
    SignalWatcher watcher;
    QSignalSpy spy(&watcher, &SignalWatcher::terminationRequested);
    std::raise(SIGTERM);
    std::raise(SIGHUP);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 30000);
    QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
    QCOMPARE(spy.at(1).at(0).toInt(), SIGHUP);
}

namespace {
volatile std::sig_atomic_t previousHandlerRan = 0;
extern "C" void markPreviousHandler(int /*signalNumber*/)
{
    previousHandlerRan = 1;
}
} // namespace

void SignalWatcherTest::putsThePreviousHandlersBack()
{
    const auto previous = std::signal(SIGHUP, markPreviousHandler);
    {
        SignalWatcher watcher;
    }
    std::raise(SIGHUP);
    QCOMPARE(previousHandlerRan, 1);
    std::signal(SIGHUP, previous);
}

QTEST_GUILESS_MAIN(SignalWatcherTest)
#include "tst_signalwatcher.moc"
