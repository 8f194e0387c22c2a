#include "platform/display/DisplayFactory.h"
#include "platform/display/x11/X11Display.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;
using namespace trouvimo;

// Runs on an Xorg server with the dummy driver started by with-xorg-dummy.sh, its DUMMY0 at
// 1024x768; the outputs offer 800x600, 1280x600 and 800x480 among other common sizes, but not
// 1000x700. Whatever a test does, the display must come back to what `xrandr` showed before.
class X11DisplayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void factoryPicksX11();
    void switchesThenRestoresExactly_data();
    void switchesThenRestoresExactly();
    void leavesTheScreenForASizeItDoesNotOffer_data();
    void leavesTheScreenForASizeItDoesNotOffer();
    void switchesOnlyItsOwnMonitor();
    void guardianRestoresOnlyWhenTheGameDies_data();
    void guardianRestoresOnlyWhenTheGameDies();
    void guardianRefusesAConfigurationItCannotRead();
    void runsNoEventWhileSwitching();

private:
    static QString xrandr(const QStringList& arguments = {u"--current"_s});

    QString m_found;
};

QString X11DisplayTest::xrandr(const QStringList& arguments)
{
    QProcess process;
    process.start(u"xrandr"_s, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

void X11DisplayTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
    m_found = xrandr();
    X11Display display;
    QVERIFY(display.switchesOneMonitor());
    QCOMPARE(display.monitorSize(), QSize(1024, 768));
}

void X11DisplayTest::cleanup()
{
    xrandr({u"--output"_s, u"DUMMY1"_s, u"--off"_s});
    xrandr({u"--delmode"_s, u"DUMMY1"_s, u"1024x768"_s});
    xrandr({u"--fb"_s, u"1024x768"_s, u"--output"_s, u"DUMMY0"_s, u"--mode"_s, u"1024x768"_s,
            u"--pos"_s, u"0x0"_s});
    QCOMPARE(xrandr(), m_found);
}

void X11DisplayTest::factoryPicksX11()
{
    const std::unique_ptr<trouvimo::Display> display = makeDisplay();
    QVERIFY(dynamic_cast<X11Display*>(display.get()) != nullptr);
}

void X11DisplayTest::switchesThenRestoresExactly_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("800x600") << QSize(800, 600);
    QTest::newRow("1280x600, wider than found") << QSize(1280, 600);
    QTest::newRow("800x480") << QSize(800, 480);
}

void X11DisplayTest::switchesThenRestoresExactly()
{
    QFETCH(QSize, size);
    X11Display display;
    QVERIFY(display.switchTo(size));
    // The server has switched when switchTo() returns; Qt hears of it a little later.
    QCOMPARE(display.monitorSize(), size);
    QVERIFY(waitForScreenSize(size, 5000));
    // A second switch changes what is shown, not what is returned to.
    QVERIFY(display.switchTo(QSize(800, 600)));
    display.restore();
    QCOMPARE(xrandr(), m_found);
    QVERIFY(waitForScreenSize(QSize(1024, 768), 5000));
}

void X11DisplayTest::leavesTheScreenForASizeItDoesNotOffer_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1000x700") << QSize(1000, 700);
    QTest::newRow("width of one mode, height of another") << QSize(800, 768);
    QTest::newRow("zero") << QSize(0, 0);
    QTest::newRow("negative") << QSize(-800, -600);
    QTest::newRow("huge") << QSize(100000, 100000);
}

void X11DisplayTest::leavesTheScreenForASizeItDoesNotOffer()
{
    QFETCH(QSize, size);
    X11Display display;
    QVERIFY(!display.switchTo(size));
    QCOMPARE(xrandr(), m_found);
    display.restore();
    QCOMPARE(xrandr(), m_found);
}

void X11DisplayTest::switchesOnlyItsOwnMonitor()
{
    xrandr({u"--addmode"_s, u"DUMMY1"_s, u"1024x768"_s});
    xrandr({u"--output"_s, u"DUMMY1"_s, u"--mode"_s, u"1024x768"_s, u"--right-of"_s, u"DUMMY0"_s});
    const QString twoMonitors = xrandr();
    QVERIFY2(twoMonitors.contains(u" 1024x768+1024+0"_s), qPrintable(twoMonitors));
    {
        X11Display display;
        QVERIFY(display.switchTo(QSize(800, 600)));
        const QString switched = xrandr();
        QVERIFY2(switched.contains(u" 800x600+0+0"_s), qPrintable(switched));
        QVERIFY2(switched.contains(u" 1024x768+1024+0"_s), qPrintable(switched));
        QVERIFY2(switched.contains(u"current 2048 x 768"_s), qPrintable(switched));
    }
    // Destroying the display restores it, as every way out of the game does.
    QCOMPARE(xrandr(), twoMonitors);
}

void X11DisplayTest::guardianRestoresOnlyWhenTheGameDies_data()
{
    QTest::addColumn<QByteArray>("lastWord");
    QTest::addColumn<bool>("restores");
    QTest::newRow("the game died") << QByteArray() << true;
    QTest::newRow("the game restored and said so") << QByteArray("done\n") << false;
}

void X11DisplayTest::guardianRestoresOnlyWhenTheGameDies()
{
    QFETCH(QByteArray, lastWord);
    QFETCH(bool, restores);
    // The test plays the game's part: it hands the guardian what it found, switches on a
    // connection the guardian does not know, then goes without restoring.
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    randr::RandrScreen screen(connection, screenNumber);
    const auto crtc = screen.primaryCrtc();
    const auto found = crtc ? screen.read(*crtc) : std::nullopt;
    xcb_disconnect(connection);
    QVERIFY(found.has_value());

    QProcess guardian;
    guardian.start(QStringLiteral(TROUVIMO_DISPLAY_GUARD), {qEnvironmentVariable("DISPLAY")});
    QVERIFY(guardian.waitForStarted());
    guardian.write(QByteArray::fromStdString(randr::toLine(*found)));
    xrandr({u"--output"_s, u"DUMMY0"_s, u"--mode"_s, u"800x600"_s});
    guardian.write(lastWord);
    guardian.closeWriteChannel();
    QVERIFY(guardian.waitForFinished(1000));
    QCOMPARE(guardian.exitCode(), 0);
    QCOMPARE(xrandr() == m_found, restores);
}

void X11DisplayTest::guardianRefusesAConfigurationItCannotRead()
{
    QProcess guardian;
    guardian.start(QStringLiteral(TROUVIMO_DISPLAY_GUARD), {qEnvironmentVariable("DISPLAY")});
    QVERIFY(guardian.waitForStarted());
    xrandr({u"--output"_s, u"DUMMY0"_s, u"--mode"_s, u"800x600"_s});
    guardian.write("63 1 0 0 1024 768\n");
    guardian.closeWriteChannel();
    QVERIFY(guardian.waitForFinished(1000));
    QCOMPARE(guardian.exitCode(), 2);
    QVERIFY(xrandr().contains(u" 800x600+0+0"_s));
}

namespace {
class EventCounter final : public QObject {
public:
    int received = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            ++received;
            return true;
        }
        return QObject::event(event);
    }
};
} // namespace

void X11DisplayTest::runsNoEventWhileSwitching()
{
    X11Display display;
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    QVERIFY(display.switchTo(QSize(800, 600)));
    display.restore();
    QCOMPARE(counter.received, 0);
    QCoreApplication::sendPostedEvents(&counter);
    QCOMPARE(counter.received, 1);
}

QTEST_MAIN(X11DisplayTest)
#include "tst_x11display.moc"
