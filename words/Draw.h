#pragma once

#include "platform/process/Clock.h"

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
    std::uint64_t m_state = 0;
};

// The draw without replacement that orders the words of a game and the letters of a word.
// One instance serves the board for both orders, and the board reads the highest index of the
// last letter draw as the length of the current word.
class Draw {
public:
    // `clock` gives the reading mixed into the generator at every draw; it must outlive the
    // draw. A null source stands for the real generator.
    Draw(std::unique_ptr<RandomSource> source, const Clock& clock);
    Draw(); // the real generator on the system's clock

    // The highest pool index as filled; after a letter draw, the length of the current word.
    qint16 highestIndex = 0;
    // The pool position chosen by the last draw.
    qint16 drawnPosition = 0;
    // The word order, indices 0..highestIndex of the word draw: entry k is the number (from 1) of
    // the word of round k + 1.
    std::vector<qint16> wordOrder;
    // The letter order of the current word, indices 0..L: entries 1..L are a permutation of
    // 1..L, entry 0 stays 0.
    std::vector<qint16> letterOrder;

    // Sets highestIndex and fills the pool with the decimal texts "1" to highestIndex + 1.
    void fillPool(qint16 nbMax);
    // The pool entry at `index` as decimal text ("" for a spare entry emptied by a resize, and
    // for an index outside the pool).
    [[nodiscard]] QString poolEntry(int index) const;
    // The pool's current size (live and spare entries).
    [[nodiscard]] int poolSize() const;

    // Chooses a position among the first highestIndex + 1 - k pool entries into drawnPosition:
    // round-half-even(x * 1000) mod m, or 0 when m is 0 or the arithmetic overflows.
    void drawPosition(qint16 k);
    // Removes the entry at drawnPosition, keeping the order of the rest: the pool is resized to
    // 0..highestIndex + 1 - k, then poolEntry(a) = poolEntry(a + 1) for a =
    // drawnPosition..highestIndex - k. A part that would overflow or leave the pool is skipped on
    // its own.
    void removeDrawn(qint16 k);

    // The two calling sequences of the game.
    // Word order of a list of nbMots words (nbMots >= 1): highestIndex = nbMots - 1, steps
    // 0..highestIndex.
    void drawWordOrder(qint16 nbMots);
    // Letter order of a word of `length` letters: highestIndex = length, steps 1..length.
    void drawLetterOrder(qint16 length);

private:
    [[nodiscard]] int entry(int index) const;
    [[nodiscard]] qint16 drawnValue() const;
    void moveGapTo(std::size_t position);
    void removeAt(int index);
    void insertAt(int index, int value);
    void resizePool(int size);

    std::unique_ptr<RandomSource> m_source;
    const Clock* m_clock = nullptr;

    // The pool as a gap buffer: entries 0..m_gapStart-1 are m_cells[0..m_gapStart-1], the rest
    // follow the gap. Draws only reach the first 1001 positions, so the gap stays near the front
    // and removing an entry moves at most about a thousand cells instead of the whole tail.
    // A cell holds the entry's number, 0 for an empty entry.
    std::vector<int> m_cells;
    std::size_t m_gapStart = 0;
    std::size_t m_gapEnd = 0;
};

} // namespace trouvimo
