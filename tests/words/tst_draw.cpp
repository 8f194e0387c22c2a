#include "words/Draw.h"

#include "FakeClock.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;
using trouvimo::Draw;
using trouvimo::MixingRandomSource;
using trouvimo::RandomSource;

namespace {

// Hands out the values it was given, in order, and remembers every clock reading it was given.
class ScriptedSource final : public RandomSource {
public:
    explicit ScriptedSource(std::vector<float> values, std::vector<double>* readings = nullptr)
        : m_values(values.begin(), values.end())
        , m_readings(readings)
    {
    }

    void reseed(double clockReading) override
    {
        if (m_readings != nullptr)
            m_readings->push_back(clockReading);
    }

    float next() override
    {
        if (m_values.empty())
            qFatal("the scripted source ran out of values");
        const float x = m_values.front();
        m_values.pop_front();
        return x;
    }

private:
    std::deque<float> m_values;
    std::vector<double>* m_readings;
};

// x such that x * 1000 rounds to r, so a test can pick the drawn position directly.
float xFor(int r)
{
    return static_cast<float>(r) / 1000.0f;
}

std::vector<float> xsFor(std::initializer_list<int> rs)
{
    std::vector<float> xs;
    for (const int r : rs)
        xs.push_back(xFor(r));
    return xs;
}

// Noon, every time it is read.
const trouvimo::FakeClock fixedClock(43200.0);

std::unique_ptr<Draw> scripted(std::vector<float> xs)
{
    return std::make_unique<Draw>(std::make_unique<ScriptedSource>(std::move(xs)), fixedClock);
}

QStringList poolOf(const Draw& draw)
{
    QStringList pool;
    for (int i = 0; i < draw.poolSize(); ++i)
        pool.append(draw.poolEntry(i));
    return pool;
}

bool isPermutation(const std::vector<qint16>& values, std::size_t from, int count)
{
    if (values.size() != from + static_cast<std::size_t>(count))
        return false;
    std::vector<qint16> sorted(values.begin() + static_cast<std::ptrdiff_t>(from), values.end());
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count; ++i) {
        if (sorted[static_cast<std::size_t>(i)] != i + 1)
            return false;
    }
    return true;
}

// The pool exactly as the draw describes it: one array, resized and shifted entry by entry,
// every failing step skipped on its own. The fast pool must be indistinguishable from it.
// Entries are kept as numbers (0 for empty text) only so that the 32766-word run stays quick.
class ReferenceUrne {
public:
    qint16 highestIndex = 0;
    qint16 drawnPosition = 0;
    std::vector<int> poolEntry;

    void remplir(qint16 nbMax)
    {
        highestIndex = nbMax;
        poolEntry.assign(static_cast<std::size_t>(std::max(0, nbMax + 1)), 0);
        std::iota(poolEntry.begin(), poolEntry.end(), 1);
    }

    [[nodiscard]] QString text(std::size_t index) const
    {
        return poolEntry[index] == 0 ? QString() : QString::number(poolEntry[index]);
    }

    void retirerTirage(qint16 k)
    {
        const int upper = highestIndex + 1 - k;
        if (highestIndex + 1 <= std::numeric_limits<qint16>::max() && upper >= 0
            && upper <= std::numeric_limits<qint16>::max())
            poolEntry.resize(static_cast<std::size_t>(upper) + 1, 0);
        const int last = highestIndex - k;
        if (last < std::numeric_limits<qint16>::min() || last > std::numeric_limits<qint16>::max())
            return;
        for (int a = drawnPosition; a <= last; ++a) {
            if (a < 0 || a + 1 >= static_cast<int>(poolEntry.size()))
                continue;
            poolEntry[static_cast<std::size_t>(a)] = poolEntry[static_cast<std::size_t>(a) + 1];
        }
    }

    [[nodiscard]] QStringList pool() const
    {
        QStringList texts;
        for (std::size_t i = 0; i < poolEntry.size(); ++i)
            texts.append(text(i));
        return texts;
    }
};

// Positions drawn at step k are spread over the whole range, with the extremes (0 and 1000)
// much more frequent than chance would make them so every edge of the pool is exercised.
std::vector<float> mixedXs(std::size_t count, unsigned seed)
{
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    std::vector<float> xs(count);
    for (float& x : xs) {
        const float pick = uniform(engine);
        x = pick < 0.1f ? 0.0f : pick < 0.2f ? 0.99999994f : uniform(engine);
    }
    return xs;
}

} // namespace

class TestDraw : public QObject {
    Q_OBJECT

private slots:
    void letterOrderWorkedExample()
    {
        auto draw = scripted(xsFor({1, 0, 0}));
        draw->fillPool(3);
        QCOMPARE(poolOf(*draw), (QStringList {u"1"_s, u"2"_s, u"3"_s, u"4"_s}));

        const QList<QStringList> pools = {
            {u"1"_s, u"3"_s, u"4"_s, u"4"_s},
            {u"3"_s, u"4"_s, u"4"_s},
            {u"4"_s, u"4"_s},
        };
        const QList<int> positions = {1, 0, 0};
        const QStringList drawn = {u"2"_s, u"1"_s, u"3"_s};
        for (qint16 k = 1; k <= 3; ++k) {
            draw->drawPosition(k);
            QCOMPARE(draw->drawnPosition, positions[k - 1]);
            QCOMPARE(draw->poolEntry(draw->drawnPosition), drawn[k - 1]);
            draw->removeDrawn(k);
            QCOMPARE(poolOf(*draw), pools[k - 1]);
        }

        auto whole = scripted(xsFor({1, 0, 0}));
        whole->drawLetterOrder(3);
        QCOMPARE(whole->highestIndex, 3);
        QCOMPARE(whole->letterOrder, (std::vector<qint16> {0, 2, 1, 3}));
        QCOMPARE(poolOf(*whole), pools.last());
    }

    void wordOrderWorkedExample()
    {
        auto draw = scripted(xsFor({2, 0, 1, 0}));
        draw->fillPool(3);
        const QList<QStringList> pools = {
            {u"1"_s, u"2"_s, u"4"_s, QString(), QString()},
            {u"2"_s, u"4"_s, QString(), QString()},
            {u"2"_s, QString(), QString()},
            {QString(), QString()},
        };
        const QStringList drawn = {u"3"_s, u"1"_s, u"4"_s, u"2"_s};
        for (qint16 k = 0; k <= 3; ++k) {
            draw->drawPosition(k);
            QCOMPARE(draw->poolEntry(draw->drawnPosition), drawn[k]);
            draw->removeDrawn(k);
            QCOMPARE(poolOf(*draw), pools[k]);
        }

        auto whole = scripted(xsFor({2, 0, 1, 0}));
        whole->drawWordOrder(4);
        QCOMPARE(whole->highestIndex, 3);
        QCOMPARE(whole->wordOrder, (std::vector<qint16> {3, 1, 4, 2}));
        QCOMPARE(poolOf(*whole), pools.last());
    }

    void drawArithmetic_data()
    {
        QTest::addColumn<qint16>("nbMax");
        QTest::addColumn<qint16>("k");
        QTest::addColumn<float>("x");
        QTest::addColumn<qint16>("position");

        const float nan = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("R = 0") << qint16(6) << qint16(0) << 0.0f << qint16(0);
        QTest::newRow("R = 1000, m = 1000") << qint16(999) << qint16(0) << 0.9999f << qint16(0);
        QTest::newRow("R = 1000, m = 1001") << qint16(1000) << qint16(0) << 0.9999f << qint16(1000);
        QTest::newRow("largest x gives 1000")
            << qint16(1500) << qint16(0) << 0.99999994f << qint16(1000);
        QTest::newRow("999.5 in single precision goes to 1000")
            << qint16(1500) << qint16(0) << 0.9995f << qint16(1000);
        QTest::newRow("just below 0.0005")
            << qint16(1500) << qint16(0) << std::nextafter(0.0005f, 0.0f) << qint16(0);
        QTest::newRow("0.0005 is a half: to even 0")
            << qint16(1500) << qint16(0) << 0.0005f << qint16(0);
        QTest::newRow("just above 0.0005")
            << qint16(1500) << qint16(0) << std::nextafter(0.0005f, 1.0f) << qint16(1);
        QTest::newRow("1.5 goes to 2") << qint16(1500) << qint16(0) << 0.0015f << qint16(2);
        QTest::newRow("2.5 goes to 2") << qint16(1500) << qint16(0) << 0.0025f << qint16(2);
        QTest::newRow("m = 1 always 0") << qint16(5) << qint16(5) << 0.7f << qint16(0);
        QTest::newRow("remainder") << qint16(9) << qint16(3) << xFor(20) << qint16(6);
        QTest::newRow("m = 0") << qint16(2) << qint16(3) << xFor(5) << qint16(0);
        QTest::newRow("negative m keeps R's sign")
            << qint16(0) << qint16(5) << xFor(7) << qint16(3);
        QTest::newRow("highestIndex + 1 overflows")
            << qint16(32767) << qint16(0) << xFor(7) << qint16(0);
        QTest::newRow("m overflows") << qint16(0) << qint16(-32768) << xFor(7) << qint16(0);
        QTest::newRow("letter step") << qint16(12) << qint16(1) << xFor(500) << qint16(8);
        QTest::newRow("not a number") << qint16(10) << qint16(0) << nan << qint16(0);
    }

    void drawArithmetic()
    {
        QFETCH(qint16, nbMax);
        QFETCH(qint16, k);
        QFETCH(float, x);
        QFETCH(qint16, position);

        auto draw = scripted({x});
        draw->highestIndex = nbMax;
        draw->drawnPosition = 99;
        draw->drawPosition(k);
        QCOMPARE(draw->drawnPosition, position);
    }

    void distributionOfPositions_data()
    {
        QTest::addColumn<int>("m");
        QTest::addColumn<QList<double>>("expected"); // per position, in thousandths

        QTest::newRow("m = 3") << 3 << QList<double> {333.5, 333.5, 333.0};

        QList<double> m600(600, 1.0);
        m600[0] = 1.5;
        std::fill(m600.begin() + 1, m600.begin() + 400, 2.0);
        m600[400] = 1.5;
        QTest::newRow("m = 600") << 600 << m600;

        QList<double> m1500(1500, 0.0);
        std::fill(m1500.begin(), m1500.begin() + 1001, 1.0);
        m1500[0] = 0.5;
        m1500[1000] = 0.5;
        QTest::newRow("m = 1500") << 1500 << m1500;

        QTest::newRow("m = 1000 is even") << 1000 << QList<double>(1000, 1.0);

        QList<double> m1001(1001, 1.0);
        m1001[0] = 0.5;
        m1001[1000] = 0.5;
        QTest::newRow("m = 1001") << 1001 << m1001;
        QTest::newRow("m = 1") << 1 << QList<double> {1000.0};
    }

    void distributionOfPositions()
    {
        QFETCH(int, m);
        QFETCH(QList<double>, expected);

        // An even grid over [0, 1) stands in for a uniform x and makes the counts exact to
        // within the grid's rounding at each interval boundary.
        constexpr int kDraws = 1'000'000;
        std::vector<float> xs(kDraws);
        for (int i = 0; i < kDraws; ++i)
            xs[static_cast<std::size_t>(i)] = static_cast<float>(i) / static_cast<float>(kDraws);
        auto draw = scripted(std::move(xs));
        draw->highestIndex = static_cast<qint16>(m - 1);

        std::vector<int> counts(static_cast<std::size_t>(m), 0);
        for (int i = 0; i < kDraws; ++i) {
            draw->drawPosition(0);
            ++counts[static_cast<std::size_t>(draw->drawnPosition)];
        }
        for (int p = 0; p < m; ++p) {
            const double perThousand = 1000.0 * counts[static_cast<std::size_t>(p)] / kDraws;
            if (std::abs(perThousand - expected[p]) > 0.01)
                QFAIL(qPrintable(u"position %1: %2 per thousand, expected %3"_s.arg(p)
                                     .arg(perThousand)
                                     .arg(expected[p])));
        }
    }

    void distributionFromTheRealSource()
    {
        Draw draw;
        constexpr int kDraws = 300'000;
        std::vector<int> three(3, 0);
        draw.highestIndex = 2;
        for (int i = 0; i < kDraws; ++i) {
            draw.drawPosition(0);
            ++three[static_cast<std::size_t>(draw.drawnPosition)];
        }
        for (const int count : three)
            QVERIFY(std::abs(static_cast<double>(count) / kDraws - 1.0 / 3.0) < 0.01);

        // m = 600: positions 1..399 carry twice the weight of 401..599.
        draw.highestIndex = 599;
        int low = 0;
        int high = 0;
        for (int i = 0; i < kDraws; ++i) {
            draw.drawPosition(0);
            if (draw.drawnPosition >= 1 && draw.drawnPosition <= 399)
                ++low;
            else if (draw.drawnPosition >= 401)
                ++high;
        }
        QVERIFY(std::abs(static_cast<double>(low) / kDraws - 0.798) < 0.01);
        QVERIFY(std::abs(static_cast<double>(high) / kDraws - 0.199) < 0.01);
    }

    void wordOrderIsAPermutation_data()
    {
        QTest::addColumn<qint16>("nbMots");
        for (const qint16 n : {1, 2, 3, 4, 10, 1001, 1002, 1500, 5000, 32766})
            QTest::addRow("%d words", n) << n;
    }

    void wordOrderIsAPermutation()
    {
        QFETCH(qint16, nbMots);
        for (unsigned seed = 1; seed <= 5; ++seed) {
            Draw draw(std::make_unique<MixingRandomSource>(seed), fixedClock);
            draw.drawWordOrder(nbMots);
            QCOMPARE(draw.highestIndex, nbMots - 1);
            QVERIFY(isPermutation(draw.wordOrder, 0, nbMots));
            // Only the first 1001 live entries are within reach of a draw.
            for (std::size_t k = 0; k < draw.wordOrder.size(); ++k)
                QVERIFY(draw.wordOrder[k] <= static_cast<int>(1001 + k));
        }
    }

    void letterOrderIsAPermutation_data()
    {
        QTest::addColumn<qint16>("length");
        for (const qint16 n : {0, 1, 2, 3, 12, 26, 1200})
            QTest::addRow("%d letters", n) << n;
    }

    void letterOrderIsAPermutation()
    {
        QFETCH(qint16, length);
        for (unsigned seed = 1; seed <= 20; ++seed) {
            Draw draw(std::make_unique<MixingRandomSource>(seed), fixedClock);
            draw.drawLetterOrder(length);
            QCOMPARE(draw.highestIndex, length);
            QCOMPARE(draw.letterOrder.front(), 0);
            // Entries 1..L hold 1..L once each, so the spare L + 1 never shows up.
            QVERIFY(isPermutation(draw.letterOrder, 1, length));
        }
    }

    void shortSequences()
    {
        auto empty = scripted({});
        empty->drawLetterOrder(0);
        QCOMPARE(empty->letterOrder, std::vector<qint16> {0});
        QCOMPARE(poolOf(*empty), QStringList {u"1"_s});

        auto one = scripted({0.9f});
        one->drawLetterOrder(1);
        QCOMPARE(one->letterOrder, (std::vector<qint16> {0, 1}));
        QCOMPARE(poolOf(*one), (QStringList {u"2"_s, u"2"_s}));

        auto single = scripted({0.3f});
        single->drawWordOrder(1);
        QCOMPARE(single->wordOrder, std::vector<qint16> {1});
        QCOMPARE(poolOf(*single), (QStringList {QString(), QString()}));

        auto three = scripted(xsFor({2, 1, 0}));
        three->drawWordOrder(3);
        QCOMPARE(three->wordOrder, (std::vector<qint16> {3, 2, 1}));
    }

    void sameAsTheReferencePool_data()
    {
        QTest::addColumn<qint16>("nbMax");
        QTest::addColumn<qint16>("firstStep");
        QTest::addColumn<int>("compareEvery");

        QTest::newRow("word order of 4") << qint16(3) << qint16(0) << 1;
        QTest::newRow("word order of 50") << qint16(49) << qint16(0) << 1;
        QTest::newRow("word order of 1001") << qint16(1000) << qint16(0) << 1;
        QTest::newRow("word order of 1002") << qint16(1001) << qint16(0) << 1;
        QTest::newRow("word order of 3000") << qint16(2999) << qint16(0) << 13;
        QTest::newRow("word order of 32766") << qint16(32765) << qint16(0) << 997;
        QTest::newRow("letter order of 12") << qint16(12) << qint16(1) << 1;
        QTest::newRow("letter order of 2000") << qint16(2000) << qint16(1) << 11;
    }

    void sameAsTheReferencePool()
    {
        QFETCH(qint16, nbMax);
        QFETCH(qint16, firstStep);
        QFETCH(int, compareEvery);

        const std::vector<float> xs = mixedXs(static_cast<std::size_t>(nbMax) + 1, 2024U + nbMax);
        auto draw = scripted(xs);
        draw->fillPool(nbMax);
        ReferenceUrne reference;
        reference.remplir(nbMax);

        for (int k = firstStep; k <= nbMax; ++k) {
            const auto step = static_cast<qint16>(k);
            draw->drawPosition(step);
            reference.drawnPosition = draw->drawnPosition;
            QCOMPARE(draw->poolEntry(draw->drawnPosition),
                     reference.text(static_cast<std::size_t>(reference.drawnPosition)));
            draw->removeDrawn(step);
            reference.retirerTirage(step);
            QCOMPARE(draw->poolSize(), static_cast<int>(reference.poolEntry.size()));
            if (k % compareEvery == 0 || k == nbMax)
                QCOMPARE(poolOf(*draw), reference.pool());
        }
    }

    void oddCallsMatchTheReference()
    {
        // Callers other than the two sequences may set drawnPosition and k as they like; each
        // failing part of a removal is skipped exactly as in the plain array.
        std::mt19937 engine(77);
        std::uniform_int_distribution<int> size(-2, 60);
        std::uniform_int_distribution<int> small(-5, 70);
        std::uniform_int_distribution<int> pick(0, 9);
        // Now and then a value at the ends of the 16-bit range, where highestIndex + 1 - k
        // overflows.
        const auto any = [&](std::mt19937& e) {
            const int choice = pick(e);
            return choice == 0 ? 32767 : choice == 1 ? -32768 : small(e);
        };
        for (int round = 0; round < 2000; ++round) {
            Draw draw(std::make_unique<MixingRandomSource>(1), fixedClock);
            ReferenceUrne reference;
            const auto nbMax = static_cast<qint16>(size(engine));
            draw.fillPool(nbMax);
            reference.remplir(nbMax);
            for (int call = 0; call < 12; ++call) {
                const auto k = static_cast<qint16>(any(engine));
                draw.drawnPosition = static_cast<qint16>(any(engine));
                reference.drawnPosition = draw.drawnPosition;
                if (call % 4 == 3) {
                    draw.highestIndex = static_cast<qint16>(any(engine));
                    reference.highestIndex = draw.highestIndex;
                }
                draw.removeDrawn(k);
                reference.retirerTirage(k);
                QCOMPARE(poolOf(draw), reference.pool());
            }
        }
    }

    void everyDrawReseedsFromTheClock()
    {
        std::vector<double> readings;
        const trouvimo::FakeClock ticking(0.0, 0.25);
        Draw draw(std::make_unique<ScriptedSource>(std::vector<float>(5, 0.5f), &readings),
                  ticking);
        draw.drawLetterOrder(5);
        QCOMPARE(readings.size(), std::size_t {5});
        for (std::size_t i = 1; i < readings.size(); ++i)
            QCOMPARE(readings[i], readings[i - 1] + 0.25);
    }

    void reseedMixesRatherThanRestarts()
    {
        MixingRandomSource source(12345);
        source.reseed(100.0);
        const float first = source.next();
        source.reseed(100.0);
        const float second = source.next();
        QVERIFY(first != second);

        // The same history gives the same values, a different reading different ones.
        MixingRandomSource twin(12345);
        twin.reseed(100.0);
        QCOMPARE(twin.next(), first);
        MixingRandomSource other(12345);
        other.reseed(100.5);
        QVERIFY(other.next() != first);

        // Within a single clock tick the draws still spread over the range.
        Draw draw(std::make_unique<MixingRandomSource>(9), fixedClock);
        draw.highestIndex = 1000;
        std::vector<bool> seen(1001, false);
        for (int i = 0; i < 5000; ++i) {
            draw.drawPosition(0);
            seen[static_cast<std::size_t>(draw.drawnPosition)] = true;
        }
        QVERIFY(std::count(seen.begin(), seen.end(), true) > 950);
    }

    void realSourceStaysInTheUnitInterval()
    {
        MixingRandomSource source(3);
        float lowest = 1.0f;
        float highest = 0.0f;
        double sum = 0.0;
        constexpr int kValues = 1'000'000;
        for (int i = 0; i < kValues; ++i) {
            source.reseed(static_cast<double>(i / 1000));
            const float x = source.next();
            lowest = std::min(lowest, x);
            highest = std::max(highest, x);
            sum += x;
        }
        QVERIFY(lowest >= 0.0f);
        QVERIFY(highest < 1.0f);
        QVERIFY(highest > 0.999f);
        QVERIFY(lowest < 0.001f);
        QVERIFY(std::abs(sum / kValues - 0.5) < 0.002);
    }
};

QTEST_GUILESS_MAIN(TestDraw)
#include "tst_draw.moc"
