#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace trouvimo {

// The source of the draw's random numbers. Before each draw the lottery hands it a clock reading
// to mix into its state (re-seeding with the same reading must not restart the sequence), then
// takes one value.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void reseed(double clockReading) = 0;
    // Uniform in [0, 1), at least single precision.
    [[nodiscard]] virtual float next() = 0;
};

// The generator the game uses: SplitMix64, whose whole state is one 64-bit word, so mixing a
// clock reading in at every draw costs a few operations.
class MixingRandomSource final : public RandomSource {
public:
    MixingRandomSource(); // seeded from the system's entropy source
    explicit MixingRandomSource(std::uint64_t seed);

    void reseed(double clockReading) override;
    [[nodiscard]] float next() override;

private:
    std::uint64_t state_ = 0;
};

// The time of day in seconds since local midnight, with fractions: the clock the draw re-seeds
// from.
[[nodiscard]] double secondsSinceMidnight();

// The draw without replacement that orders the words of a game and the letters of a word.
// One instance is shared by the board for both uses, as the pool and the results always were.
class Loterie {
public:
    // `clock` gives the reading mixed into the generator at every draw (seconds, any origin).
    // A null source or clock stands for the real one.
    Loterie(std::unique_ptr<RandomSource> source, double (*clock)());
    explicit Loterie(std::unique_ptr<RandomSource> source);
    Loterie(); // the real generator on the real clock

    // The highest pool index as filled; after a letter draw, the length of the current word.
    qint16 NbMax = 0;
    // The pool position chosen by the last draw.
    qint16 IndiceTire = 0;
    // The word order, indices 0..NbMax of the word draw: entry k is the number (from 1) of the
    // word of round k + 1.
    std::vector<qint16> OrdreMots;
    // The letter order of the current word, indices 0..L: entries 1..L are a permutation of
    // 1..L, entry 0 stays 0.
    std::vector<qint16> OrdreLettres;

    // Sets NbMax and fills the pool with the decimal texts "1" to NbMax + 1.
    void remplirUrne(qint16 nbMax);
    // The pool entry at `index` as decimal text ("" for a spare entry emptied by a resize, and
    // for an index outside the pool).
    [[nodiscard]] QString Urne(int index) const;
    // The pool's current size (live and spare entries).
    [[nodiscard]] int tailleUrne() const;

    // Chooses a position among the first NbMax + 1 - k pool entries into IndiceTire:
    // round-half-even(x * 1000) mod m, or 0 when m is 0 or the arithmetic overflows.
    void Tirage(qint16 k);
    // Removes the entry at IndiceTire, keeping the order of the rest: the pool is resized to
    // 0..NbMax + 1 - k, then Urne(a) = Urne(a + 1) for a = IndiceTire..NbMax - k. A part that
    // would overflow or leave the pool is skipped on its own.
    void RetirerTirage(qint16 k);

    // The two calling sequences of the game.
    // Word order of a list of nbMots words (nbMots >= 1): NbMax = nbMots - 1, steps 0..NbMax.
    void tirerOrdreMots(qint16 nbMots);
    // Letter order of a word of `length` letters: NbMax = length, steps 1..length.
    void tirerOrdreLettres(qint16 length);

private:
    [[nodiscard]] int entry(int index) const;
    [[nodiscard]] qint16 drawnValue() const;
    void moveGapTo(std::size_t position);
    void removeAt(int index);
    void insertAt(int index, int value);
    void resizeUrne(int size);

    std::unique_ptr<RandomSource> source_;
    double (*clock_)() = nullptr;

    // The pool as a gap buffer: entries 0..gapStart_-1 are cells_[0..gapStart_-1], the rest
    // follow the gap. Draws only reach the first 1001 positions, so the gap stays near the front
    // and removing an entry moves at most about a thousand cells instead of the whole tail.
    // A cell holds the entry's number, 0 for an empty entry.
    std::vector<int> cells_;
    std::size_t gapStart_ = 0;
    std::size_t gapEnd_ = 0;
};

} // namespace trouvimo
