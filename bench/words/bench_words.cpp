// The word data's three hot paths at the sizes the game allows: the longest list it reads, the
// word order of the most words it plays, and the letter order of a full row of tiles.

#include "words/Draw.h"
#include "words/WordList.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// French-looking words of 3 to 12 letters, some accented, one per CR LF line.
QByteArray longList()
{
    static const char* const stems[] = {"ch\xE2teau", "for\xEAt",    "papillon", "\xE9l\xE9phant",
                                        "arbre",      "maison",      "tortue",   "biblioth\xE8que",
                                        "soleil",     "cerf-volant", "loup",     "l\xE8vre"};
    QByteArray bytes;
    for (int i = 0; i < 32767; ++i) {
        bytes.append(stems[i % 12]);
        bytes.append(QByteArray::number(i / 12));
        bytes.append("\r\n");
    }
    return bytes;
}

void readLongList(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ListeMots.txt"));
    QFile file(path);
    const QByteArray bytes = longList();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write the list");
        return;
    }
    file.close();

    for (auto _ : state) {
        trouvimo::WordTable table;
        const trouvimo::ListStatus status = trouvimo::readWordList(path, table);
        benchmark::DoNotOptimize(status);
        if (table.count != 32767)
            state.SkipWithError("the list was not read whole");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(readLongList)->Unit(benchmark::kMillisecond);

void drawWordOrder(benchmark::State& state)
{
    trouvimo::Draw draw; // the real generator on the real clock, as the board uses it
    for (auto _ : state) {
        draw.drawWordOrder(32766);
        benchmark::DoNotOptimize(draw.wordOrder.data());
    }
}
BENCHMARK(drawWordOrder)->Unit(benchmark::kMillisecond);

void drawLetterOrder(benchmark::State& state)
{
    trouvimo::Draw draw;
    for (auto _ : state) {
        draw.drawLetterOrder(12);
        benchmark::DoNotOptimize(draw.letterOrder.data());
    }
}
BENCHMARK(drawLetterOrder)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
