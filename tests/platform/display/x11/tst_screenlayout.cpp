#include "platform/display/x11/randr/ScreenLayout.h"

#include <QSize>
#include <QTest>

using namespace trouvimo::randr;

using Crtcs = std::vector<CrtcConfig>;
Q_DECLARE_METATYPE(ScreenSize)
Q_DECLARE_METATYPE(Crtcs)
Q_DECLARE_METATYPE(std::optional<Layout>)

namespace {

// The mode of a CRTC follows its size, as a monitor's does.
CrtcConfig lit(ResourceId crtc, int x, int y, int width, int height)
{
    return {crtc, static_cast<ResourceId>(width), x, y, width, height, 1, {200 + crtc}};
}

CrtcConfig off(ResourceId crtc)
{
    return {crtc, 0, 0, 0, 0, 0, 1, {}};
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
    void restoringKeepsWhatTheFamilyChanged_data();
    void restoringKeepsWhatTheFamilyChanged();
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
    CrtcConfig darkFarAway = lit(3, 4000, 0, 1920, 1080);
    darkFarAway.mode = 0;
    const ScreenSize density {2048, 768, 540, 203};
    const ScreenSize screen =
        screenAround({lit(1, 0, 0, 800, 600), lit(2, 1024, 0, 1024, 768), darkFarAway}, density);
    QCOMPARE(screen, (ScreenSize {2048, 768, 540, 203}));
    QCOMPARE(screenAround({lit(1, 0, 0, 800, 600)}, density), (ScreenSize {800, 600, 211, 159}));
}

void ScreenLayoutTest::stepsKeepTheMonitorInsideTheScreen_data()
{
    QTest::addColumn<ScreenSize>("current");
    QTest::addColumn<ScreenSize>("target");
    QTest::addColumn<QSize>("monitorBefore");
    QTest::addColumn<QSize>("monitorAfter");
    QTest::addColumn<QList<int>>("screenWidths");
    const ScreenSize large {1024, 768, 270, 203};
    const ScreenSize small {800, 600, 211, 159};
    const ScreenSize twoMonitors {2048, 768, 540, 203};
    // Each row: the widths the screen takes before and after the CRTC changes (0: no resize).
    QTest::newRow("one monitor switched down: the screen shrinks after")
        << large << small << QSize(1024, 768) << QSize(800, 600) << QList<int> {0, 800};
    QTest::newRow("one monitor put back: the screen grows before")
        << small << large << QSize(800, 600) << QSize(1024, 768) << QList<int> {1024, 0};
    QTest::newRow("beside another monitor: the screen stays")
        << twoMonitors << twoMonitors << QSize(1024, 768) << QSize(800, 600) << QList<int> {0, 0};
    QTest::newRow("wider and lower: grows to hold both, then shrinks")
        << small << ScreenSize {1280, 480, 338, 127} << QSize(800, 600) << QSize(1280, 480)
        << QList<int> {1280, 1280};
}

void ScreenLayoutTest::stepsKeepTheMonitorInsideTheScreen()
{
    QFETCH(ScreenSize, current);
    QFETCH(ScreenSize, target);
    QFETCH(QSize, monitorBefore);
    QFETCH(QSize, monitorAfter);
    QFETCH(QList<int>, screenWidths);
    const CrtcConfig crtc = lit(1, 0, 0, monitorAfter.width(), monitorAfter.height());
    // The CRTC that is off in both layouts is left alone.
    const std::vector<Step> steps =
        stepsTo({current, {lit(1, 0, 0, monitorBefore.width(), monitorBefore.height()), off(2)}},
                {target, {crtc, off(2)}});

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
                                    {63, 71, 1024, 0, 1024, 768, 2, {66, 67}},
                                    {off(64), lit(65, 0, 0, 1024, 768)}};
    const std::string line = toLine(saved);
    QCOMPARE(line.back(), '\n');
    const auto back = fromLine(line);
    QVERIFY(back.has_value());
    QCOMPARE(back->screen, saved.screen);
    QCOMPARE(back->crtc, saved.crtc);
    QCOMPARE(back->others, saved.others);
    // Anything else is no configuration: no CRTC, one cut short, an output count that lies, no
    // number, out of range.
    for (const std::string_view text :
         {"", "\n", "2048 768 540 203\n", "2048 768 540 203 63 71 1024 0 1024 768 2\n",
          "2048 768 540 203 63 71 1024 0 1024 768 2 3 66 67\n",
          "2048 768 540 203 63 71 x 0 1024 768 2 0\n",
          "2048 768 540 203 63 71 1024 0 99999999999 768 2 0\n",
          "2048 768 540 203 63 71 1024 0 1024 768 2 0 64 0 0 0 0 0 1\n"})
        QVERIFY2(!fromLine(text), text.data());
}

void ScreenLayoutTest::restoringKeepsWhatTheFamilyChanged_data()
{
    QTest::addColumn<Crtcs>("foundOthers");
    QTest::addColumn<Crtcs>("now");
    QTest::addColumn<std::optional<Layout>>("restored");
    // The game's monitor is CRTC 1, found at 1024 x 768 and switched to 800 x 600; CRTC 2 is
    // the family's other monitor or projector.
    const CrtcConfig found = lit(1, 0, 0, 1024, 768);
    const CrtcConfig switched = lit(1, 0, 0, 800, 600);
    const ScreenSize oneMonitor {1024, 768, 270, 203};
    QTest::newRow("nothing changed: the found screen exactly")
        << Crtcs {lit(2, 1024, 0, 1024, 768)} << Crtcs {switched, lit(2, 1024, 0, 1024, 768)}
        << std::optional<Layout>({{2048, 768, 541, 204}, {found, lit(2, 1024, 0, 1024, 768)}});
    QTest::newRow("lit right of it during play: moved out as it grows")
        << Crtcs {} << Crtcs {switched, lit(2, 800, 0, 1024, 768)}
        << std::optional<Layout>({{2048, 768, 540, 203}, {found, lit(2, 1024, 0, 1024, 768)}});
    QTest::newRow("lit below it during play")
        << Crtcs {} << Crtcs {switched, lit(2, 0, 600, 800, 600)}
        << std::optional<Layout>({{1024, 1368, 270, 362}, {found, lit(2, 0, 768, 800, 600)}});
    QTest::newRow("set to mirror it during play: still a mirror")
        << Crtcs {} << Crtcs {switched, lit(2, 0, 0, 800, 600)}
        << std::optional<Layout>({oneMonitor, {found, lit(2, 0, 0, 800, 600)}});
    QTest::newRow("lit left of it, which moved right: both keep their places")
        << Crtcs {} << Crtcs {lit(1, 1024, 0, 800, 600), lit(2, 0, 0, 1024, 768)}
        << std::optional<Layout>(
               {{2048, 768, 540, 203}, {lit(1, 1024, 0, 1024, 768), lit(2, 0, 0, 1024, 768)}});
    QTest::newRow("found beside it, turned off during play: stays off")
        << Crtcs {lit(2, 1024, 0, 1024, 768)} << Crtcs {switched, off(2)}
        << std::optional<Layout>({{1024, 768, 271, 204}, {found, off(2)}});
    QTest::newRow("turned off itself during play: nothing changes")
        << Crtcs {} << Crtcs {off(1), lit(2, 0, 0, 1024, 768)} << std::optional<Layout>();
}

void ScreenLayoutTest::restoringKeepsWhatTheFamilyChanged()
{
    QFETCH(Crtcs, foundOthers);
    QFETCH(Crtcs, now);
    QFETCH(std::optional<Layout>, restored);
    const bool twoFound = !foundOthers.empty();
    const SavedConfiguration saved {twoFound ? ScreenSize {2048, 768, 541, 204}
                                             : ScreenSize {1024, 768, 270, 203},
                                    lit(1, 0, 0, 1024, 768), foundOthers};
    const Layout current {screenAround(now, saved.screen), now};
    const std::optional<Layout> planned = restoredLayout(saved, current);
    QCOMPARE(planned, restored);
    // Putting back what is already back changes nothing.
    if (planned)
        QCOMPARE(restoredLayout(saved, *planned), planned);
}

QTEST_APPLESS_MAIN(ScreenLayoutTest)
#include "tst_screenlayout.moc"
