#include "randr/ScreenLayout.h"

#include <QTest>

using namespace trouvimo::randr;

Q_DECLARE_METATYPE(ScreenSize)

namespace {

CrtcConfig lit(ResourceId crtc, int x, int y, int width, int height)
{
    return {crtc, 100 + crtc, x, y, width, height, 1, {200 + crtc}};
}

} // namespace

class ScreenLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void picksTheNearestRefreshOfTheExactSize();
    void screenHoldsEveryLitMonitorAtTheSameDensity();
    void stepsKeepTheMonitorInsideTheScreen_data();
    void stepsKeepTheMonitorInsideTheScreen();
    void savedConfigurationTravelsAsOneLine();
};

void ScreenLayoutTest::picksTheNearestRefreshOfTheExactSize()
{
    const std::vector<Mode> modes {{1, 800, 600, 56.2},
                                   {2, 800, 600, 60.3},
                                   {3, 800, 600, 75.0},
                                   {4, 600, 800, 60.0},
                                   {5, 1024, 768, 60.0}};
    QCOMPARE(nearestMode(modes, 800, 600, 59.9)->id, ResourceId {2});
    QCOMPARE(nearestMode(modes, 800, 600, 72.0)->id, ResourceId {3});
    QCOMPARE(nearestMode(modes, 600, 800, 75.0)->id, ResourceId {4});
    QVERIFY(!nearestMode(modes, 800, 768, 60.0));
    QVERIFY(!nearestMode({}, 800, 600, 60.0));
}

void ScreenLayoutTest::screenHoldsEveryLitMonitorAtTheSameDensity()
{
    CrtcConfig off = lit(3, 4000, 0, 1920, 1080);
    off.mode = 0;
    const ScreenSize density {2048, 768, 540, 203};
    const ScreenSize screen =
        screenAround({lit(1, 0, 0, 800, 600), lit(2, 1024, 0, 1024, 768), off}, density);
    QCOMPARE(screen, (ScreenSize {2048, 768, 540, 203}));
    QCOMPARE(screenAround({lit(1, 0, 0, 800, 600)}, density), (ScreenSize {800, 600, 211, 159}));
}

void ScreenLayoutTest::stepsKeepTheMonitorInsideTheScreen_data()
{
    QTest::addColumn<ScreenSize>("current");
    QTest::addColumn<ScreenSize>("target");
    QTest::addColumn<QList<int>>("screenWidths");
    const ScreenSize large {1024, 768, 270, 203};
    const ScreenSize small {800, 600, 211, 159};
    // Each row: the widths the screen takes before and after the CRTC changes (0: no resize).
    QTest::newRow("one monitor switched down: the screen shrinks after")
        << large << small << QList<int> {0, 800};
    QTest::newRow("one monitor put back: the screen grows before")
        << small << large << QList<int> {1024, 0};
    QTest::newRow("beside another monitor: the screen stays")
        << large << large << QList<int> {0, 0};
    QTest::newRow("wider and lower: grows to hold both, then shrinks")
        << ScreenSize {800, 600, 211, 159} << ScreenSize {1280, 480, 338, 127}
        << QList<int> {1280, 1280};
}

void ScreenLayoutTest::stepsKeepTheMonitorInsideTheScreen()
{
    QFETCH(ScreenSize, current);
    QFETCH(ScreenSize, target);
    QFETCH(QList<int>, screenWidths);
    const CrtcConfig crtc = lit(1, 0, 0, target.width, target.height);
    const std::vector<Step> steps = stepsTo(current, target, crtc);

    QList<int> widths {0, 0};
    bool crtcSet = false;
    ScreenSize screen = current;
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::SetCrtc) {
            QCOMPARE(step.crtc, crtc);
            QVERIFY2(crtc.x + crtc.width <= screen.width && crtc.y + crtc.height <= screen.height,
                     "the CRTC must lie within the screen when it is set");
            crtcSet = true;
            continue;
        }
        screen = step.screen;
        widths[crtcSet ? 1 : 0] = screen.width;
    }
    QVERIFY(crtcSet);
    QCOMPARE(screen, target);
    QCOMPARE(widths, screenWidths);
}

void ScreenLayoutTest::savedConfigurationTravelsAsOneLine()
{
    const SavedConfiguration saved {{2048, 768, 540, 203},
                                    {63, 71, 1024, 0, 1024, 768, 2, {66, 67}}};
    const std::string line = toLine(saved);
    QCOMPARE(line.back(), '\n');
    const auto back = fromLine(line);
    QVERIFY(back.has_value());
    QCOMPARE(back->crtc, saved.crtc);
    QCOMPARE(back->screen, saved.screen);
    // Anything else is no configuration: cut short, an output count that lies, no number, too
    // large.
    for (const std::string_view text : {"", "\n", "63 71 1024 0 1024 768 2 2048 768 540 203\n",
                                        "63 71 1024 0 1024 768 2 2048 768 540 203 3 66 67\n",
                                        "63 71 x 0 1024 768 2 2048 768 540 203 0\n",
                                        "63 71 1024 0 99999999999 768 2 2048 768 540 203 0\n"})
        QVERIFY2(!fromLine(text), text.data());
}

QTEST_APPLESS_MAIN(ScreenLayoutTest)
#include "tst_screenlayout.moc"
