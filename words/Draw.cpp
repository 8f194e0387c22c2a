#include "words/Draw.h"

#include "platform/process/SystemClock.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <random>

namespace trouvimo {

namespace {

constexpr std::uint64_t kGoldenGamma = 0x9E3779B97F4A7C15ULL;

constexpr std::uint64_t mix64(std::uint64_t z)
{
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
}

// The draw's counters are 16-bit: a result outside that range is an overflow, and the step that
// computed it fails.
std::optional<qint16> checked16(int value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(value);
}

// highestIndex + 1 - k, each operation overflow-checked.
std::optional<qint16> liveCount(qint16 nbMax, qint16 k)
{
    const std::optional<qint16> count = checked16(nbMax + 1);
    if (!count)
        return std::nullopt;
    return checked16(*count - k);
}

// "x * 1000" on a single-precision x stays single precision, and the conversion to a 32-bit
// integer rounds halves to even (the default rounding mode).
std::optional<int> scaledDraw(float x)
{
    const float scaled = x * 1000.0f;
    if (!std::isfinite(scaled) || scaled < -2147483648.0f || scaled >= 2147483648.0f)
        return std::nullopt;
    return static_cast<int>(std::nearbyint(scaled));
}

// What converting the entry's decimal text to a 16-bit integer gives: an empty entry or a number
// past the range fails, which leaves the result entry at 0.
qint16 entryAsShort(int entry)
{
    return checked16(entry).value_or(0);
}

} // namespace

MixingRandomSource::MixingRandomSource()
    : MixingRandomSource([] {
        std::random_device device;
        return (std::uint64_t {device()} << 32U) ^ device();
    }())
{
}

MixingRandomSource::MixingRandomSource(std::uint64_t seed)
    : m_state(seed)
{
}

void MixingRandomSource::reseed(double clockReading)
{
    // The finaliser is a bijection and next() always moves the state on, so mixing in the same
    // reading twice in a row never brings a state back.
    m_state = mix64(m_state ^ std::bit_cast<std::uint64_t>(clockReading));
}

float MixingRandomSource::next()
{
    m_state += kGoldenGamma;
    // The top 24 bits fill a float's mantissa exactly, which keeps the value below 1.
    return static_cast<float>(mix64(m_state) >> 40U) * 0x1.0p-24f;
}

Draw::Draw(std::unique_ptr<RandomSource> source, const Clock& clock)
    : m_source(std::move(source))
    , m_clock(&clock)
{
    if (!m_source)
        m_source = std::make_unique<MixingRandomSource>();
}

Draw::Draw()
    : Draw(std::make_unique<MixingRandomSource>(), systemClock())
{
}

void Draw::fillPool(qint16 nbMax)
{
    highestIndex = nbMax;
    m_cells.resize(static_cast<std::size_t>(std::max(0, nbMax + 1)));
    for (std::size_t i = 0; i < m_cells.size(); ++i)
        m_cells[i] = static_cast<int>(i) + 1;
    m_gapStart = 0;
    m_gapEnd = 0;
}

int Draw::poolSize() const
{
    return static_cast<int>(m_cells.size() - (m_gapEnd - m_gapStart));
}

int Draw::entry(int index) const
{
    const auto i = static_cast<std::size_t>(index);
    return i < m_gapStart ? m_cells[i] : m_cells[i + (m_gapEnd - m_gapStart)];
}

QString Draw::poolEntry(int index) const
{
    if (index < 0 || index >= poolSize())
        return {};
    const int value = entry(index);
    return value == 0 ? QString() : QString::number(value);
}

void Draw::moveGapTo(std::size_t position)
{
    const auto cells = m_cells.begin();
    if (position < m_gapStart) {
        const std::size_t count = m_gapStart - position;
        std::move_backward(cells + static_cast<std::ptrdiff_t>(position),
                           cells + static_cast<std::ptrdiff_t>(m_gapStart),
                           cells + static_cast<std::ptrdiff_t>(m_gapEnd));
        m_gapStart = position;
        m_gapEnd -= count;
    } else if (position > m_gapStart) {
        const std::size_t count = position - m_gapStart;
        std::move(cells + static_cast<std::ptrdiff_t>(m_gapEnd),
                  cells + static_cast<std::ptrdiff_t>(m_gapEnd + count),
                  cells + static_cast<std::ptrdiff_t>(m_gapStart));
        m_gapStart = position;
        m_gapEnd += count;
    }
}

void Draw::removeAt(int index)
{
    moveGapTo(static_cast<std::size_t>(index));
    ++m_gapEnd;
}

void Draw::insertAt(int index, int value)
{
    // Appending never touches the gap, which is what keeps the usual step cheap.
    if (index == poolSize()) {
        m_cells.push_back(value);
        return;
    }
    moveGapTo(static_cast<std::size_t>(index));
    if (m_gapStart == m_gapEnd) {
        m_cells.insert(m_cells.begin() + static_cast<std::ptrdiff_t>(m_gapStart), value);
        ++m_gapEnd;
    } else {
        m_cells[m_gapStart] = value;
    }
    ++m_gapStart;
}

void Draw::resizePool(int size)
{
    const int current = poolSize();
    const auto target = static_cast<std::size_t>(size);
    if (size > current) {
        m_cells.resize(m_cells.size() + static_cast<std::size_t>(size - current), 0);
    } else if (target >= m_gapStart) {
        m_cells.resize(m_gapEnd + (target - m_gapStart));
    } else {
        m_cells.resize(target);
        m_gapStart = target;
        m_gapEnd = target;
    }
}

void Draw::drawPosition(qint16 k)
{
    m_source->reseed(m_clock->secondsSinceMidnight());
    const std::optional<int> r = scaledDraw(m_source->next());
    const std::optional<qint16> live = liveCount(highestIndex, k);
    if (!r || !live || *live == 0) {
        drawnPosition = 0;
        return;
    }
    // C++'s remainder takes the sign of the dividend, as the draw's always did.
    drawnPosition = static_cast<qint16>(*r % *live);
}

void Draw::removeDrawn(qint16 k)
{
    // Each step that fails is skipped on its own: a bad size leaves the pool as it is, an index
    // outside the pool skips just that copy.
    const std::optional<qint16> upper = liveCount(highestIndex, k);
    if (upper && *upper >= 0)
        resizePool(*upper + 1);

    const std::optional<qint16> last = checked16(highestIndex - k);
    if (!last)
        return;
    // The copies poolEntry(a) = poolEntry(a + 1) that stay inside the pool form one run [from, to]:
    // the entry at `from` goes, the run moves one place forward and poolEntry(to + 1) keeps its
    // text.
    const int from = std::max<int>(drawnPosition, 0);
    const int to = std::min<int>(*last, poolSize() - 2);
    if (from > to)
        return;
    const int kept = entry(to + 1);
    removeAt(from);
    insertAt(to + 1, kept);
}

void Draw::drawWordOrder(qint16 nbMots)
{
    fillPool(static_cast<qint16>(nbMots - 1));
    wordOrder.assign(static_cast<std::size_t>(std::max(0, highestIndex + 1)), 0);
    for (int k = 0; k <= highestIndex; ++k) {
        drawPosition(static_cast<qint16>(k));
        wordOrder[static_cast<std::size_t>(k)] = drawnValue();
        removeDrawn(static_cast<qint16>(k));
    }
}

void Draw::drawLetterOrder(qint16 length)
{
    fillPool(length);
    letterOrder.assign(static_cast<std::size_t>(std::max(0, length + 1)), 0);
    for (int k = 1; k <= length; ++k) {
        drawPosition(static_cast<qint16>(k));
        letterOrder[static_cast<std::size_t>(k)] = drawnValue();
        removeDrawn(static_cast<qint16>(k));
    }
}

qint16 Draw::drawnValue() const
{
    if (drawnPosition < 0 || drawnPosition >= poolSize())
        return 0;
    return entryAsShort(entry(drawnPosition));
}

} // namespace trouvimo
