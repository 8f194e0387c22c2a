// The board's own work per handler, with every platform service faked, next to plain Qt string
// work of the same size so that the figures can be read as ratios on a busy machine.
//
//   cmake --build <build> --target bench_board
//   <build>/bench/board/bench_board [--benchmark_repetitions=5 --benchmark_report_aggregates_only=true]
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

using namespace Qt::StringLiterals;

namespace {

using trouvimo::BoardModel;
using trouvimo::Control;

constexpr int kLongListWords = BoardModel::kMaxWords;
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
        bytes.append(maker.word(BoardModel::kMaxLetters));
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
            && QFile::exists(m_directory.filePath(u"Images/MotsAnglais/%1.gif"_s.arg(kPictureWord)));
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
struct Board {
    explicit Board(bool francais)
    {
        shared.Francais = francais;
        picture.sizes[kPictureWord + u".gif"_s] = kPictureSize;
        model = create();
    }

    [[nodiscard]] std::unique_ptr<BoardModel> create()
    {
        return std::make_unique<BoardModel>(
            trouvimo::BoardServices { shared, paths, sound, pause, processEnd, loterie },
            picture, messages);
    }

    // The doubles record every call; a long run must not grow them without end.
    void forgetCalls()
    {
        sound.played.clear();
        picture.loaded.clear();
        pause.durations.clear();
    }

    trouvimo::SharedValues shared;
    trouvimo::DataPaths paths { appDirectory().path() };
    trouvimo::FakeSoundPlayer sound;
    trouvimo::FakePause pause;
    trouvimo::FakeProcessEnd processEnd;
    trouvimo::FakePicture picture;
    trouvimo::FakeMessageBox messages;
    trouvimo::Loterie loterie;
    std::unique_ptr<BoardModel> model;
};

bool skipIfNoDirectory(benchmark::State& state)
{
    if (appDirectory().ready())
        return false;
    state.SkipWithError("cannot prepare the application directory");
    return true;
}

// An English board opened on the twelve-letter list, in the round of the word with a picture.
std::unique_ptr<Board> boardInPictureRound(benchmark::State& state)
{
    auto board = std::make_unique<Board>(false);
    BoardModel& model = *board->model;
    model.Form_Load();
    while (model.cmdJouer0Enabled && model.MotCourant != kPictureWord)
        model.cmdJouer_Click(0);
    if (model.MotCourant != kPictureWord || model.Label1.size() != BoardModel::kMaxLetters) {
        state.SkipWithError("the round of the pictured word never came");
        return nullptr;
    }
    board->forgetCalls();
    return board;
}

// The tile showing the last letter of the word, to be placed by the next tick of Timer2 after
// the eleven other letters, given in `slotLetters`.
int prepareLastPlacement(BoardModel& model, const QString& slotLetters)
{
    for (int i = 0; i < slotLetters.size(); ++i) {
        model.Label3[i].Caption = slotLetters[i];
        model.Label3[i].Visible = true;
    }
    const QString last = model.MotCourant.right(1);
    for (std::size_t m = 0; m < model.Label1.size(); ++m) {
        if (model.Label1[m].Caption == last)
            return static_cast<int>(m);
    }
    return -1;
}

// Rewinds the placement made by the previous iteration: eleven letters in, the chosen tile one
// step short of the frame and visible again, Timer2 running.
void rewindLastPlacement(BoardModel& model, int tile)
{
    Control& chosen = model.Label1[static_cast<std::size_t>(tile)];
    chosen.Left = model.Shape1.Left - kTileStep;
    chosen.Visible = true;
    model.TuileChoisie = static_cast<qint16>(tile);
    model.NbPlacees = BoardModel::kMaxLetters - 1;
    model.Timer2.Enabled = true;
}

// --- the board's handlers --------------------------------------------------------------------

void opening(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 100 ms");
    Board board(true);
    for (auto _ : state) {
        state.PauseTiming();
        board.model.reset();
        board.model = board.create();
        board.forgetCalls();
        state.ResumeTiming();

        board.model->Form_Load();
    }
    if (board.model->NbMots != kLongListWords || board.model->unloaded())
        state.SkipWithError("the board did not open on the whole list");
}
BENCHMARK(opening)->Unit(benchmark::kMillisecond);

void roundStart(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 5 ms");
    Board board(false);
    BoardModel& model = *board.model;
    model.Form_Load();
    for (auto _ : state) {
        // After the last word the press would only show the end message: the game starts over.
        if (model.Manche == model.NbMots)
            model.Manche = 0;
        model.cmdJouer_Click(0);
        board.forgetCalls();
    }
    if (model.Label1.size() != BoardModel::kMaxLetters || !model.Label1.back().Visible)
        state.SkipWithError("the round did not lay out twelve tiles");
}
BENCHMARK(roundStart)->Unit(benchmark::kMicrosecond);

// One tick of each movement timer, the tile still far from the frame.
void moveStep(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    BoardModel& model = *board->model;
    model.Label1_Click(0);
    Control& tile = model.Label1[0];
    for (auto _ : state) {
        tile.Left = model.GaucheTuile0;
        tile.Top = model.HautTuile0;
        model.Timer1.Enabled = true;
        model.Timer2.Enabled = true;
        model.Timer1_Timer();
        model.Timer2_Timer();
    }
    if (tile.Left != model.GaucheTuile0 + kTileStep || model.NbPlacees != 0 || !model.Timer2.Enabled)
        state.SkipWithError("the tick did not just move the tile");
}
BENCHMARK(moveStep)->Unit(benchmark::kMicrosecond);

// The twelfth letter is placed and the answer, in the wrong order, is checked.
void placingTickWrongWord(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    BoardModel& model = *board->model;
    QString wrong = model.MotCourant.left(BoardModel::kMaxLetters - 1);
    std::reverse(wrong.begin(), wrong.end());
    const int tile = prepareLastPlacement(model, wrong);
    if (tile < 0) {
        state.SkipWithError("no tile shows the last letter");
        return;
    }
    for (auto _ : state) {
        rewindLastPlacement(model, tile);
        model.Timer2_Timer();
    }
    if (model.NbPlacees != BoardModel::kMaxLetters || model.GifPic.Visible || !board->picture.loaded.isEmpty())
        state.SkipWithError("the wrong word was not placed, or was taken as right");
}
BENCHMARK(placingTickWrongWord)->Unit(benchmark::kMicrosecond);

// The twelfth letter completes the word: the picture is looked up, loaded and centred, and the
// fanfare is played.
void placingTickSolved(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    BoardModel& model = *board->model;
    const int tile = prepareLastPlacement(model, model.MotCourant.left(BoardModel::kMaxLetters - 1));
    if (tile < 0) {
        state.SkipWithError("no tile shows the last letter");
        return;
    }
    for (auto _ : state) {
        board->forgetCalls();
        rewindLastPlacement(model, tile);
        model.GifPic.Visible = false;
        model.Timer2_Timer();
    }
    if (!model.GifPic.Visible || board->picture.loaded.size() != 1
        || !board->sound.played.value(0).endsWith(u"Tada.wav"_s))
        state.SkipWithError("the solved word did not show its picture and play its sound");
}
BENCHMARK(placingTickSolved)->Unit(benchmark::kMicrosecond);

// A click on a slot and the tick of Timer2 that rebuilds the row of twelve tiles.
void resetStep(benchmark::State& state)
{
    if (skipIfNoDirectory(state))
        return;
    state.SetLabel("budget < 0.2 ms");
    const auto board = boardInPictureRound(state);
    if (!board)
        return;
    BoardModel& model = *board->model;
    for (auto _ : state) {
        // The reset hides the slots, and only a shown slot can be clicked.
        model.Label3[0].Visible = true;
        model.Label3_Click(0);
        model.Timer2_Timer();
        board->forgetCalls();
    }
    if (model.Effacement || model.Timer2.Enabled || model.Label1.size() != BoardModel::kMaxLetters
        || !model.Label1.back().Visible)
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
        return table.TabMots.mid(1);
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
