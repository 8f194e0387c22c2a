#include "Loterie.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <ctime>
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

// NbMax + 1 - k, each operation overflow-checked.
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
          return (std::uint64_t{device()} << 32U) ^ device();
      }())
{
}

MixingRandomSource::MixingRandomSource(std::uint64_t seed)
    : state_(seed)
{
}

void MixingRandomSource::reseed(double clockReading)
{
    // The finaliser is a bijection and next() always moves the state on, so mixing in the same
    // reading twice in a row never brings a state back.
    state_ = mix64(state_ ^ std::bit_cast<std::uint64_t>(clockReading));
}

float MixingRandomSource::next()
{
    state_ += kGoldenGamma;
    // The top 24 bits fill a float's mantissa exactly, which keeps the value below 1.
    return static_cast<float>(mix64(state_) >> 40U) * 0x1.0p-24f;
}

double secondsSinceMidnight()
{
    using std::chrono::system_clock;
    const system_clock::time_point now = system_clock::now();
    const std::time_t whole = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&whole, &local);
    const double fraction =
        std::chrono::duration<double>(now - system_clock::from_time_t(whole)).count();
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

Loterie::Loterie(std::unique_ptr<RandomSource> source, double (*clock)())
    : source_(std::move(source))
    , clock_(clock)
{
    if (!source_)
        source_ = std::make_unique<MixingRandomSource>();
    if (clock_ == nullptr)
        clock_ = &secondsSinceMidnight;
}

Loterie::Loterie(std::unique_ptr<RandomSource> source)
    : Loterie(std::move(source), &secondsSinceMidnight)
{
}

Loterie::Loterie()
    : Loterie(std::make_unique<MixingRandomSource>())
{
}

void Loterie::remplirUrne(qint16 nbMax)
{
    NbMax = nbMax;
    cells_.resize(static_cast<std::size_t>(std::max(0, nbMax + 1)));
    for (std::size_t i = 0; i < cells_.size(); ++i)
        cells_[i] = static_cast<int>(i) + 1;
    gapStart_ = 0;
    gapEnd_ = 0;
}

int Loterie::tailleUrne() const
{
    return static_cast<int>(cells_.size() - (gapEnd_ - gapStart_));
}

int Loterie::entry(int index) const
{
    const auto i = static_cast<std::size_t>(index);
    return i < gapStart_ ? cells_[i] : cells_[i + (gapEnd_ - gapStart_)];
}

QString Loterie::Urne(int index) const
{
    if (index < 0 || index >= tailleUrne())
        return {};
    const int value = entry(index);
    return value == 0 ? QString() : QString::number(value);
}

void Loterie::moveGapTo(std::size_t position)
{
    const auto cells = cells_.begin();
    if (position < gapStart_) {
        const std::size_t count = gapStart_ - position;
        std::move_backward(cells + static_cast<std::ptrdiff_t>(position),
            cells + static_cast<std::ptrdiff_t>(gapStart_),
            cells + static_cast<std::ptrdiff_t>(gapEnd_));
        gapStart_ = position;
        gapEnd_ -= count;
    } else if (position > gapStart_) {
        const std::size_t count = position - gapStart_;
        std::move(cells + static_cast<std::ptrdiff_t>(gapEnd_),
            cells + static_cast<std::ptrdiff_t>(gapEnd_ + count),
            cells + static_cast<std::ptrdiff_t>(gapStart_));
        gapStart_ = position;
        gapEnd_ += count;
    }
}

void Loterie::removeAt(int index)
{
    moveGapTo(static_cast<std::size_t>(index));
    ++gapEnd_;
}

void Loterie::insertAt(int index, int value)
{
    // Appending never touches the gap, which is what keeps the usual step cheap.
    if (index == tailleUrne()) {
        cells_.push_back(value);
        return;
    }
    moveGapTo(static_cast<std::size_t>(index));
    if (gapStart_ == gapEnd_) {
        cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(gapStart_), value);
        ++gapEnd_;
    } else {
        cells_[gapStart_] = value;
    }
    ++gapStart_;
}

void Loterie::resizeUrne(int size)
{
    const int current = tailleUrne();
    const auto target = static_cast<std::size_t>(size);
    if (size > current) {
        cells_.resize(cells_.size() + static_cast<std::size_t>(size - current), 0);
    } else if (target >= gapStart_) {
        cells_.resize(gapEnd_ + (target - gapStart_));
    } else {
        cells_.resize(target);
        gapStart_ = target;
        gapEnd_ = target;
    }
}

void Loterie::Tirage(qint16 k)
{
    source_->reseed(clock_());
    const std::optional<int> r = scaledDraw(source_->next());
    const std::optional<qint16> live = liveCount(NbMax, k);
    if (!r || !live || *live == 0) {
        IndiceTire = 0;
        return;
    }
    // C++'s remainder takes the sign of the dividend, as the draw's always did.
    IndiceTire = static_cast<qint16>(*r % *live);
}

void Loterie::RetirerTirage(qint16 k)
{
    // Each step that fails is skipped on its own: a bad size leaves the pool as it is, an index
    // outside the pool skips just that copy.
    const std::optional<qint16> upper = liveCount(NbMax, k);
    if (upper && *upper >= 0)
        resizeUrne(*upper + 1);

    const std::optional<qint16> last = checked16(NbMax - k);
    if (!last)
        return;
    // The copies Urne(a) = Urne(a + 1) that stay inside the pool form one run [from, to]: the
    // entry at `from` goes, the run moves one place forward and Urne(to + 1) keeps its text.
    const int from = std::max<int>(IndiceTire, 0);
    const int to = std::min<int>(*last, tailleUrne() - 2);
    if (from > to)
        return;
    const int kept = entry(to + 1);
    removeAt(from);
    insertAt(to + 1, kept);
}

void Loterie::tirerOrdreMots(qint16 nbMots)
{
    remplirUrne(static_cast<qint16>(nbMots - 1));
    OrdreMots.assign(static_cast<std::size_t>(std::max(0, NbMax + 1)), 0);
    for (int k = 0; k <= NbMax; ++k) {
        Tirage(static_cast<qint16>(k));
        OrdreMots[static_cast<std::size_t>(k)] = drawnValue();
        RetirerTirage(static_cast<qint16>(k));
    }
}

void Loterie::tirerOrdreLettres(qint16 length)
{
    remplirUrne(length);
    OrdreLettres.assign(static_cast<std::size_t>(std::max(0, length + 1)), 0);
    for (int k = 1; k <= length; ++k) {
        Tirage(static_cast<qint16>(k));
        OrdreLettres[static_cast<std::size_t>(k)] = drawnValue();
        RetirerTirage(static_cast<qint16>(k));
    }
}

qint16 Loterie::drawnValue() const
{
    if (IndiceTire < 0 || IndiceTire >= tailleUrne())
        return 0;
    return entryAsShort(entry(IndiceTire));
}

} // namespace trouvimo
