#include "Resolution.h"

#include "FakeDisplay.h"

#include <QTest>

#include <limits>

using namespace trouvimo;

class ResolutionTest : public QObject {
    Q_OBJECT

private slots:
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void refusesWhatNo32BitIntegerHolds_data();
    void refusesWhatNo32BitIntegerHolds();
    void changerResolutionAsksForTheRoundedSize_data();
    void changerResolutionAsksForTheRoundedSize();
    void changerResolutionSwitchesNothingOutOfRange();
};

void ResolutionTest::roundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("whole") << 1024.0 << 1024;
    QTest::newRow("half up to even") << 799.5 << 800;
    QTest::newRow("half down to even") << 800.5 << 800;
    QTest::newRow("just below half") << 600.49 << 600;
    QTest::newRow("just above half") << 600.51 << 601;
    QTest::newRow("zero and a half") << 0.5 << 0;
    QTest::newRow("one and a half") << 1.5 << 2;
    QTest::newRow("negative half") << -0.5 << 0;
    QTest::newRow("negative one and a half") << -1.5 << -2;
    QTest::newRow("negative two and a half") << -2.5 << -2;
    QTest::newRow("largest") << 2147483647.0 << std::numeric_limits<qint32>::max();
    QTest::newRow("smallest") << -2147483648.0 << std::numeric_limits<qint32>::min();
    QTest::newRow("below largest half") << 2147483646.5 << 2147483646;
}

void ResolutionTest::roundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(roundHalfEven(value), std::optional<qint32>(expected));
}

void ResolutionTest::refusesWhatNo32BitIntegerHolds_data()
{
    QTest::addColumn<double>("value");

    QTest::newRow("largest and a half") << 2147483647.5;
    QTest::newRow("one past largest") << 2147483648.0;
    QTest::newRow("one below smallest") << -2147483649.0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
}

void ResolutionTest::refusesWhatNo32BitIntegerHolds()
{
    QFETCH(double, value);
    QCOMPARE(roundHalfEven(value), std::nullopt);
}

void ResolutionTest::changerResolutionAsksForTheRoundedSize_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("whole numbers unchanged") << 1024.0F << 768.0F << QSize(1024, 768);
    QTest::newRow("halves to even") << 799.5F << 600.5F << QSize(800, 600);
    QTest::newRow("half down") << 800.5F << 599.5F << QSize(800, 600);
    QTest::newRow("below half") << 800.0F << 600.49F << QSize(800, 600);
    QTest::newRow("zero") << 0.0F << 0.0F << QSize(0, 0);
}

void ResolutionTest::changerResolutionAsksForTheRoundedSize()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QSize, expected);
    FakeDisplay display(1024, 768);
    ChangerResolution(display, width, height);
    QCOMPARE(display.modesSet, std::vector<QSize>{expected});
}

void ResolutionTest::changerResolutionSwitchesNothingOutOfRange()
{
    FakeDisplay display(1024, 768);
    ChangerResolution(display, 3e9F, 600.0F);
    ChangerResolution(display, 800.0F, std::numeric_limits<float>::quiet_NaN());
    QVERIFY(display.modesSet.empty());
}

QTEST_GUILESS_MAIN(ResolutionTest)
#include "tst_resolution.moc"
