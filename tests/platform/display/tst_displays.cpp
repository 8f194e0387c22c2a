#include "platform/display/DisplayFactory.h"
#include "platform/display/QtScreenDisplay.h"
#include "platform/display/x11/X11Display.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace trouvimo;

// Run on the offscreen platform, where the display is measured through Qt and never switched.
class DisplaysTest : public QObject {
    Q_OBJECT

private slots:
    void measuresThePrimaryScreenInDevicePixels();
    void factoryPicksTheQtScreenOffX11();
    void waitsForTheScreenSize();
    void x11WithoutServerBehavesLikeQt();
};

void DisplaysTest::measuresThePrimaryScreenInDevicePixels()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen != nullptr);
    QCOMPARE(QtScreenDisplay().monitorSize(),
             screen->geometry().size() * screen->devicePixelRatio());
}

void DisplaysTest::factoryPicksTheQtScreenOffX11()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    const std::unique_ptr<trouvimo::Display> display = makeDisplay();
    QVERIFY(dynamic_cast<QtScreenDisplay*>(display.get()) != nullptr);
    const QSize before = QGuiApplication::primaryScreen()->geometry().size();
    QVERIFY(!display->switchTo(before + QSize(100, 100)));
    display->restore();
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
    QVERIFY(!display.switchTo(QSize(640, 480)));
    QCOMPARE(display.monitorSize(), QtScreenDisplay().monitorSize());
}

QTEST_MAIN(DisplaysTest)
#include "tst_displays.moc"
