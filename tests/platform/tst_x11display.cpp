#include "DisplayFactory.h"
#include "Resolution.h"
#include "X11Display.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace trouvimo;

// Runs on an Xorg server with the dummy driver started by with-xorg-dummy.sh, at 1024x768; the
// server offers 800x600, 1280x600 and 800x480 among other common sizes, but not 1000x700.
class X11DisplayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void factoryPicksX11();
    void measuresTheScreenInTwips();
    void switchesToEveryOfferedSize_data();
    void switchesToEveryOfferedSize();
    void leavesTheScreenForASizeItDoesNotOffer_data();
    void leavesTheScreenForASizeItDoesNotOffer();
    void changerResolutionRoundsThenSwitches();
    void runsNoEventWhileSwitching();

private:
    [[nodiscard]] QSize measuredPixels() const;

    std::unique_ptr<X11Display> m_display;
};

QSize X11DisplayTest::measuredPixels() const
{
    const ScreenMetrics metrics = m_display->metrics();
    return {qRound(metrics.widthTwips / metrics.twipsPerPixelX),
            qRound(metrics.heightTwips / metrics.twipsPerPixelY)};
}

void X11DisplayTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    m_display = std::make_unique<X11Display>();
    QVERIFY(m_display->canSwitch());
    QCOMPARE(measuredPixels(), QSize(1024, 768));
}

void X11DisplayTest::cleanup()
{
    m_display->setMode(1024, 768);
    QVERIFY(waitForScreenSize(QSize(1024, 768), 5000));
}

void X11DisplayTest::factoryPicksX11()
{
    const std::unique_ptr<trouvimo::Display> display = makeDisplay();
    QVERIFY(dynamic_cast<X11Display*>(display.get()) != nullptr);
}

void X11DisplayTest::measuresTheScreenInTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const ScreenMetrics metrics = m_display->metrics();
    QCOMPARE(metrics.twipsPerPixelX, 1440.0 / screen->logicalDotsPerInchX());
    QCOMPARE(metrics.twipsPerPixelY, 1440.0 / screen->logicalDotsPerInchY());
    QCOMPARE(metrics.widthTwips, 1024 * metrics.twipsPerPixelX);
    QCOMPARE(metrics.heightTwips, 768 * metrics.twipsPerPixelY);
}

void X11DisplayTest::switchesToEveryOfferedSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("800x600") << QSize(800, 600);
    QTest::newRow("1280x600") << QSize(1280, 600);
    QTest::newRow("800x480") << QSize(800, 480);
}

void X11DisplayTest::switchesToEveryOfferedSize()
{
    QFETCH(QSize, size);
    m_display->setMode(size.width(), size.height());
    // The server has switched when setMode() returns; Qt hears of it a little later.
    QCOMPARE(measuredPixels(), size);
    QVERIFY(waitForScreenSize(size, 5000));
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), size);
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
    m_display->setMode(size.width(), size.height());
    QCOMPARE(measuredPixels(), QSize(1024, 768));
    QVERIFY(!waitForScreenSize(size, 200));
}

void X11DisplayTest::changerResolutionRoundsThenSwitches()
{
    ChangerResolution(*m_display, 799.5F, 600.49F);
    QCOMPARE(measuredPixels(), QSize(800, 600));
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
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    m_display->setMode(800, 600);
    QCOMPARE(counter.received, 0);
    QCOMPARE(measuredPixels(), QSize(800, 600));
    QCoreApplication::sendPostedEvents(&counter);
    QCOMPARE(counter.received, 1);
}

QTEST_MAIN(X11DisplayTest)
#include "tst_x11display.moc"
