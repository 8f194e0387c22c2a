#include "DisplayFactory.h"
#include "QtScreenDisplay.h"
#include "X11Display.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace trouvimo;

// Run on the offscreen platform, where the display is measured through Qt and never switched.
class DisplaysTest : public QObject {
    Q_OBJECT

private slots:
    void measuresThePrimaryScreenInTwips();
    void factoryPicksTheQtScreenOffX11();
    void waitsForTheScreenSize();
    void x11WithoutServerBehavesLikeQt();
};

void DisplaysTest::measuresThePrimaryScreenInTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen != nullptr);
    const ScreenMetrics metrics = QtScreenDisplay().metrics();
    QCOMPARE(metrics.twipsPerPixelX, 1440.0 / screen->logicalDotsPerInchX());
    QCOMPARE(metrics.twipsPerPixelY, 1440.0 / screen->logicalDotsPerInchY());
    QCOMPARE(metrics.widthTwips, screen->geometry().width() * metrics.twipsPerPixelX);
    QCOMPARE(metrics.heightTwips, screen->geometry().height() * metrics.twipsPerPixelY);
}

void DisplaysTest::factoryPicksTheQtScreenOffX11()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    const std::unique_ptr<trouvimo::Display> display = makeDisplay();
    QVERIFY(dynamic_cast<QtScreenDisplay*>(display.get()) != nullptr);
    const QSize before = QGuiApplication::primaryScreen()->geometry().size();
    display->setMode(before.width() + 100, before.height() + 100);
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), before);
}

void DisplaysTest::waitsForTheScreenSize()
{
    const QSize current = QGuiApplication::primaryScreen()->geometry().size();
    QVERIFY(waitForScreenSize(current, 0));
    QVERIFY(!waitForScreenSize(current + QSize(1, 1), 50));
}

void DisplaysTest::x11WithoutServerBehavesLikeQt()
{
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":9876");
    X11Display display;
    qputenv("DISPLAY", saved);

    QVERIFY(!display.canSwitch());
    display.setMode(640, 480);
    const ScreenMetrics expected = QtScreenDisplay().metrics();
    const ScreenMetrics metrics = display.metrics();
    QCOMPARE(metrics.widthTwips, expected.widthTwips);
    QCOMPARE(metrics.heightTwips, expected.heightTwips);
    QCOMPARE(metrics.twipsPerPixelX, expected.twipsPerPixelX);
}

QTEST_MAIN(DisplaysTest)
#include "tst_displays.moc"
