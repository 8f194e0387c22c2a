// The board's own work per handler, with every platform service faked, next to plain Qt string
// work of the same size so that the figures can be read as ratios on a busy machine.
//
//   cmake --build <build> --target bench_board
//   <build>/bench/board/bench_board [--benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true]
//
// Each benchmark's label states its budget. The application directory is a temporary one: the
// word lists are written there, and the game's sound and picture folders are linked in, so that
// every path lookup lists folders of the real size.

#include "BoardRig.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using trouvimo::Board;
using trouvimo::Control;

constexpr int kLongListWords = Board::kMaxWords;
constexpr int kRoundListWords = 1000;
constexpr float kTileStep = 500.0F;
// A picture of the viewer's design size, in twips.
const QSizeF kPictureSize(2175, 1815);

// A small fixed generator: the lists must be the same at every run.
class WordMaker {
public:
    explicit WordMaker(std::uint32_t seed)
        : m_state(seed)
    {
    }

    std::uint32_t below(std::uint32_t bound)
    {
        m_state = m_state * 1664525U + 1013904223U;
        return (m_state >> 8U) % bound;
    }

    // A lower-case word of `length` letters in Windows-1252, about one letter in eight accented.
    QByteArray word(int length)
    {
        static constexpr char plain[] = "abcdefghijklmnopqrstuvwxyz";
        static constexpr char accented[] = "\xE0\xE2\xE7\xE8\xE9\xEA\xEB\xEE\xEF\xF4\xF9\xFB";
        QByteArray bytes;
        for (int i = 0; i < length; ++i) {
            if (below(8) == 0)
                bytes.append(accented[below(sizeof accented - 1)]);
            else
                bytes.append(plain[below(sizeof plain - 1)]);
        }
        return bytes;
    }

private:
    std::uint32_t m_state;
};

// The French list: the longest list the board plays, words of 2 to 12 letters, CR LF lines.
QByteArray longList()
{
    WordMaker maker(7);
    QByteArray bytes;
    for (int i = 0; i < kLongListWords; ++i) {
        bytes.append(maker.word(2 + static_cast<int>(maker.below(11))));
        bytes.append("\r\n");
    }
    return bytes;
}

// The English list: twelve-letter words only, so that every round lays out a full row; one of
// them is a word whose picture the game has.
QByteArray roundList()
{
    WordMaker maker(11);
    QByteArray bytes = "hippopotamus\r\n";
    for (int i = 1; i < kRoundListWords; ++i) {
        bytes.append(maker.word(Board::kMaxLetters));
        bytes.append("\r\n");
    }
    return bytes;
}

const QString kPictureWord = u"HIPPOPOTAMUS"_s;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class AppDirectory {
public:
    AppDirectory()
    {
        const QString data = QString::fromUtf8(TROUVIMO_DATA_DIR);
        m_ready = m_directory.isValid()
            && writeFile(m_directory.filePath(u"ListeMots.txt"_s), longList())
            && writeFile(m_directory.filePath(u"ListeMotsAnglais.txt"_s), roundList())
            && QFile::link(data + u"/Sons"_s, m_directory.filePath(u"Sons"_s))
            && QFile::link(data + u"/Images"_s, m_directory.filePath(u"Images"_s))
            && QFile::exists(
                      m_directory.filePath(u"Images/MotsAnglais/%1.gif"_s.arg(kPictureWord)));
    }

    [[nodiscard]] bool ready() const { return m_ready; }
    [[nodiscard]] QString path() const { return m_directory.path(); }
    [[nodiscard]] QString listPath() const { return m_directory.filePath(u"ListeMots.txt"_s); }

private:
    QTemporaryDir m_directory;
    bool m_ready = false;
};

AppDirectory& appDirectory()
{
    static AppDirectory directory;
    return directory;
}

// A board on faked services over the benchmark's application directory, with the game's real
// draw (its generator and clock) rather than a scripted one.
struct BenchBoard {
    explicit BenchBoard(trouvimo::Language chosen)
        : language(chosen)
    {
        picture.sizes[kPictureWord + u".gif"_s] = kPictureSize;
        model = create();
    }

    [[nodiscard]] std::unique_ptr<Board> create()
    {
        return std::make_unique<Board>(
            trouvimo::BoardServices {paths, sound, pause, gameExit, draw, voice}, language);
    }

    // The slide timer's tick as the window runs it, the solved word's picture loaded.
    void slideTick(Board& board)
    {
        if (const auto solved = board.slideTick()) {
            const auto size =
                solved->pictureFile ? picture.load(*solved->pictureFile) : std::nullopt;
            board.showPicture(size);
        }
    }

    // The doubles record every call; a long run must not grow them without end.
    void forgetCalls()
    {
        sound.played.clear();
        picture.loaded.clear();
        pause.durations.clear();
    }

    trouvimo::Language language;
    trouvimo::DataPaths paths {appDirectory().path()};
    trouvimo::FakeSoundPlayer sound;
    trouvimo::FakePause pause;
    trouvimo::FakeGameExit gameExit;
    trouvimo::FakePicture picture;
    trouvimo::Draw draw;
    trouvimo::FakeSpeech speech;
    trouvimo::WordVoice voice {paths, sound, speech};
    std::unique_ptr<Board> model;
};

bool skipIfNoDirectory(benchmark::State& state)
{
    if (appDirectory().ready())
        return false;
    state.SkipWithError("cannot prepare the application directory");
    return true;
}

// An English board opened on the twelve-letter list, in the round of the word with a picture.
std::unique_ptr<BenchBoard> boardInPictureRound(benchmark::State& state)
{
    auto board = std::make_unique<BenchBoard>(trouvimo::Language::English);
    Board& model = *board->model;
    model.open();
    while (model.playEnabled() && model.currentWord() != kPictureWord)
        model.playNextWord();
    if (model.currentWord() != kPictureWord || model.tiles().size() != Board::kMaxLetters) {
        state.SkipWithError("the round of the pictured word never came");
        return nullptr;
    }
    board->forgetCalls();
    return board;
}

// The index of the visible tile showing `letter`, or -1.
int tileShowing(const Board& model, QChar letter)
{
    for (std::size_t m = 0; m < model.tiles().size(); ++m) {
        if (model.tiles()[m].visible && model.tiles()[m].caption == QString(letter))
            return static_cast<int>(m);
    }
    return -1;
}

// Places the tiles showing `letters` in that order, through the handlers, then sets the tile
// showing `last` travelling until one tick of the slide timer is left before it is placed.
// False if a letter has no tile.
bool prepareLastPlacement(BenchBoard& board, const QString& letters, QChar last)
{
    Board& model = *board.model;
    for (const QChar letter : letters) {
        const int tile = tileShowing(model, letter);
        if (tile < 0)
            return false;
        model.tileClicked(tile);
        while (model.slideTimer().running)
            board.slideTick(model);
    }
    const int tile = tileShowing(model, last);
    if (tile < 0)
        return false;
    model.tileClicked(tile);
    while (model.tiles()[static_cast<std::size_t>(tile)].left + kTileStep < model.slotFrame().left)
        board.slideTick(model);
    return model.slideTimer().running;
}

// --- the board's handlers --------------------------------------------------------------------

void opening(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 100 ms");
    BenchBoard board(trouvimo::Language::French);
    for (auto _ : state) {
        state.PauseTiming();
        board.model.reset();
        board.model = board.create();
        board.forgetCalls();
        state.ResumeTiming();

        board.model->open();
    }
    if (board.model->playableCount() != kLongListWords || board.model->closed())
        state.SkipWithError("the board did not open on the whole list");
}
BENCHMARK(opening)->Unit(benchmark::kMillisecond);

void roundStart(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 5 ms");
    BenchBoard board(trouvimo::Language::English);
    board.model->open();
    for (auto _ : state) {
        // After the last word the press would only show the end message: the game starts over.
        if (!board.model->playEnabled()) {
            state.PauseTiming();
            board.model = board.create();
            board.model->open();
            state.ResumeTiming();
        }
        board.model->playNextWord();
        board.forgetCalls();
    }
    if (board.model->tiles().size() < 2)
        state.SkipWithError("the round did not lay out its tiles");
}
BENCHMARK(roundStart)->Unit(benchmark::kMicrosecond);

// One tick of each movement timer, the tile just set off.
void moveStep(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    board->model->tileClicked(0);
    const Board setOff = *board->model;
    std::optional<Board> model;
    for (auto _ : state) {
        state.PauseTiming();
        model.emplace(setOff);
        state.ResumeTiming();
        model->dropTick();
        board->slideTick(*model);
    }
    if (!model || model->tiles()[0].left != model->firstTileLeft() + kTileStep
        || model->placedCount() != 0 || !model->slideTimer().running)
        state.SkipWithError("the tick did not just move the tile");
}
BENCHMARK(moveStep)->Unit(benchmark::kMicrosecond);

// The twelfth letter is placed and the answer is checked: in the wrong order, or solved, when
// the picture is looked up, loaded and centred, and the fanfare is played.
void placingTick(benchmark::State& state, bool solved)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    const QString word = board->model->currentWord();
    QString first = word.left(Board::kMaxLetters - 1);
    if (!solved)
        std::reverse(first.begin(), first.end());
    if (!prepareLastPlacement(*board, first, word.back())) {
        state.SkipWithError("the last placement could not be prepared");
        return;
    }
    const Board beforeLastTick = *board->model;
    std::optional<Board> model;
    for (auto _ : state) {
        state.PauseTiming();
        board->forgetCalls();
        model.emplace(beforeLastTick);
        state.ResumeTiming();
        board->slideTick(*model);
    }
    const bool showsPicture = model && model->picture().visible && board->picture.loaded.size() == 1
        && board->sound.played.value(0).endsWith(u"Tada.wav"_s);
    if (!model || model->placedCount() != Board::kMaxLetters || showsPicture != solved)
        state.SkipWithError("the last letter was not placed, or the answer judged wrongly");
}
BENCHMARK_CAPTURE(placingTick, wrongWord, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(placingTick, solved, true)->Unit(benchmark::kMicrosecond);

// A click on a slot and the tick of the slide timer that rebuilds the row of twelve tiles.
void resetStep(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    // One letter in its slot, so that a slot shows and can be clicked.
    if (!prepareLastPlacement(*board, {}, board->model->currentWord().front())) {
        state.SkipWithError("no tile could be placed");
        return;
    }
    board->slideTick(*board->model);
    const Board oneLetterIn = *board->model;
    std::optional<Board> model;
    for (auto _ : state) {
        state.PauseTiming();
        model.emplace(oneLetterIn);
        state.ResumeTiming();
        model->slotClicked(0);
        board->slideTick(*model);
        board->forgetCalls();
    }
    if (!model || model->resetting() || model->slideTimer().running
        || model->tiles().size() != Board::kMaxLetters || !model->tiles().back().visible)
        state.SkipWithError("the reset did not rebuild the row");
}
BENCHMARK(resetStep)->Unit(benchmark::kMicrosecond);

// --- references: plain Qt string work, for ratios ------------------------------------------

const QList<QString>& longListWords()
{
    static const QList<QString> words = [] {
        trouvimo::WordTable table;
        if (appDirectory().ready())
            trouvimo::readWordList(appDirectory().listPath(), table);
        return table.entries.mid(1);
    }();
    return words;
}

void referenceCopyWords(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    const QList<QString>& words = longListWords();
    for (auto _ : state) {
        QList<QString> copy;
        copy.reserve(words.size());
        for (const QString& word : words)
            copy.append(QString(word.constData(), word.size()));
        benchmark::DoNotOptimize(copy.constData());
    }
    state.counters["words"] = static_cast<double>(words.size());
}
BENCHMARK(referenceCopyWords)->Unit(benchmark::kMillisecond);

void referenceUpperWords(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    const QList<QString>& words = longListWords();
    for (auto _ : state) {
        for (const QString& word : words) {
            const QString upper = word.toUpper();
            benchmark::DoNotOptimize(upper.constData());
        }
    }
    state.counters["words"] = static_cast<double>(words.size());
}
BENCHMARK(referenceUpperWords)->Unit(benchmark::kMillisecond);

void referenceUpperWord(benchmark::State& state)
{
    const QString word = u"hippopotamus"_s;
    for (auto _ : state) {
        const QString upper = word.toUpper();
        benchmark::DoNotOptimize(upper.constData());
    }
}
BENCHMARK(referenceUpperWord)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
