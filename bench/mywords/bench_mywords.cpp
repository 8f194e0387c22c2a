// My words with a spelling dictionary as the family's French list (Debian's wfrench, some 346,000
// lines, by default): the time until the window shows its first words, and the longest the window
// waits for its event loop while the list is filtered, each as a ratio to reading the file alone,
// measured in the same run.
//
//     bench_mywords [DICTIONARY]

#include "mywords/FamilyWords.h"
#include "mywords/MyWordsWindow.h"
#include "platform/files/DataPaths.h"
#include "platform/microphone/MicrophoneThread.h"
#include "platform/sound/SoundThread.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

constexpr int kRounds = 5;
constexpr int kFirstWords = 30;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double readFileMilliseconds(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray bytes = file.readAll();
    return bytes.isEmpty() ? -1.0 : static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// The longest stretch the event loop went without turning while `busy` held.
template <typename Busy> double longestStallMilliseconds(Busy busy)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    while (busy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return static_cast<double>(longest) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QString dictionary =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"/usr/share/dict/french"_s;
    if (!QFile::exists(dictionary)) {
        out << "No dictionary at " << dictionary << " (package wfrench): nothing measured.\n";
        return 0;
    }

    QTemporaryDir root;
    const QString family = root.filePath(u"family"_s);
    QDir().mkpath(family);
    QFile::copy(dictionary, family + u"/ListeMots.txt"_s);
    const DataPaths paths(root.filePath(u"game"_s), {family});
    FamilyWords words(family, "\n"_ba);
    SoundThread sound(root.filePath(u"no-sound-module"_s));
    MicrophoneThread microphone(root.filePath(u"no-microphone-module"_s));

    std::vector<double> reads;
    std::vector<double> firsts;
    std::vector<double> stalls;
    std::vector<double> filters;
    for (int round = 0; round < kRounds; ++round) {
        reads.push_back(readFileMilliseconds(family + u"/ListeMots.txt"_s));

        QElapsedTimer clock;
        clock.start();
        MyWordsWindow window(MyWordsServices {paths, words, WordSet::Family, sound, microphone,
                                              [](const QString&) { return RecordingProbe {}; }},
                             Language::French);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        QCoreApplication::processEvents();
        const WordListModel& model = window.model();
        for (int row = 0; row < std::min(kFirstWords, model.rowCount()); ++row)
            (void)model.data(model.index(row), Qt::DisplayRole);
        firsts.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (model.rowCount() < kFirstWords) {
            out << "The window shows " << model.rowCount() << " words only.\n";
            return 1;
        }

        // A filter typed letter by letter, as a parent looks for a word.
        auto* filter = window.findChild<QLineEdit*>();
        for (QLineEdit* field : window.findChildren<QLineEdit*>()) {
            if (field->accessibleName() == u"Filtrer"_s)
                filter = field;
        }
        clock.restart();
        double stall = 0.0;
        for (const QString& typed : {u"z"_s, u"zè"_s, u"zèb"_s}) {
            filter->setText(typed);
            stall =
                std::max(stall, longestStallMilliseconds([&model] { return model.filtering(); }));
        }
        filters.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        stalls.push_back(stall);
    }

    const double read = median(reads);
    out << "Dictionary: " << dictionary << "\n";
    out << "reading the file:                   " << read << " ms\n";
    out << "the window's first words:           " << median(firsts) << " ms, "
        << median(firsts) / read << " times reading the file\n";
    out << "filtering \"z\", \"zè\", \"zèb\" in all: " << median(filters) << " ms\n";
    out << "longest wait of the window meanwhile: " << median(stalls) << " ms, "
        << median(stalls) / read << " times reading the file\n";
    return 0;
}
