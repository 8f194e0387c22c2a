#pragma once

#include "FakeClock.h"
#include "FakeGameExit.h"
#include "FakePause.h"
#include "FakeSoundPlayer.h"
#include "FakeSpeech.h"
#include "board/Board.h"
#include "board/WordVoice.h"
#include "platform/files/DataPaths.h"
#include "words/Draw.h"
#include "words/Letters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <map>
#include <memory>

namespace trouvimo {

// Hands out the values a test wants drawn, then 0 for ever: with nothing queued every draw
// takes the first live pool entry, so words come in list order and letters in word order.
class ScriptedRandom final : public RandomSource {
public:
    void reseed(double /*clockReading*/) override { }
    float next() override
    {
        if (values.empty())
            return 0.0F;
        const float value = values.front();
        values.pop_front();
        return value;
    }
    std::deque<float> values;
};

// The picture widget as the window uses it: pictures known by file name, with their sizes in
// twips; any other file does not load.
class FakePicture {
public:
    std::optional<QSizeF> load(const QString& file)
    {
        loaded.append(file);
        const auto found = sizes.find(QFileInfo(file).fileName());
        if (found == sizes.end())
            return std::nullopt;
        return found->second;
    }
    void clear() { ++clears; }

    std::map<QString, QSizeF> sizes;
    QStringList loaded;
    int clears = 0;
};

// A board with every service faked, over an application directory of its own.
struct BoardRig {
    QTemporaryDir directory;
    Language language;
    std::unique_ptr<DataPaths> paths;
    FakeSoundPlayer sound;
    FakePause pause;
    FakeGameExit gameExit;
    FakePicture picture;
    FakeClock clock;
    FakeSpeech speech;
    ScriptedRandom* random = nullptr;
    std::unique_ptr<Draw> draw;
    std::unique_ptr<WordVoice> voice;
    std::unique_ptr<Board> model;

    explicit BoardRig(Language chosen = Language::French)
        : language(chosen)
    {
        paths = std::make_unique<DataPaths>(directory.path());
        auto source = std::make_unique<ScriptedRandom>();
        random = source.get();
        draw = std::make_unique<Draw>(std::move(source), clock);
        voice = std::make_unique<WordVoice>(*paths, sound, speech);
        model = std::make_unique<Board>(services(), language);
    }

    [[nodiscard]] BoardServices services()
    {
        return BoardServices {*paths, sound, pause, gameExit, *draw, *voice};
    }

    // The slide timer's tick as the window runs it: a solved word's picture is loaded and its
    // size handed back to the board.
    void slideTick()
    {
        const std::optional<SolvedWord> solved = model->slideTick();
        if (!solved)
            return;
        const std::optional<QSizeF> size =
            solved->pictureFile ? picture.load(*solved->pictureFile) : std::nullopt;
        if (!size)
            picture.clear();
        model->showPicture(size);
    }

    // Writes a word list the way the stored lists are written: Windows-1252, CR LF.
    void writeList(const QString& name, const QStringList& lines) const
    {
        QFile file(directory.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const QString& line : lines)
            file.write(line.toLatin1() + "\r\n");
    }
    void writeList(const QStringList& lines) const
    {
        writeList(languageData(language).listName, lines);
    }
    // The list of the rig's language, byte for byte.
    void writeListBytes(const QByteArray& bytes) const
    {
        QFile file(directory.filePath(languageData(language).listName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Opens the board on a list and starts its first round.
    void open(const QStringList& lines)
    {
        writeList(lines);
        QCOMPARE(model->open(), OpenOutcome::Ready);
    }
    void play() { model->playNextWord(); }

    // Ticks both movement timers, dropTimer first, until the chosen tile is placed or stops.
    int placeTile(int index)
    {
        model->tileClicked(index);
        return settle();
    }

    // Ticks both movement timers, dropTimer first, until no tile travels.
    int settle()
    {
        int ticks = 0;
        while (model->slideTimer().running && ticks < 100) {
            if (model->dropTimer().running)
                model->dropTick();
            slideTick();
            ++ticks;
        }
        return ticks;
    }

    // Places the tiles showing the letters of `word` in that order.
    void spell(const QString& word)
    {
        for (const QString& letter : lettersOf(word)) {
            int found = -1;
            for (std::size_t m = 0; m < model->tiles().size(); ++m) {
                const Control& tile = model->tiles()[m];
                if (tile.visible && tile.caption == letter) {
                    found = static_cast<int>(m);
                    break;
                }
            }
            QVERIFY2(found >= 0, qPrintable(QStringLiteral("no tile for %1").arg(letter)));
            placeTile(found);
        }
    }

    [[nodiscard]] QString slotText() const
    {
        QString text;
        for (const Control& slot : model->answerSlots())
            text += slot.caption.isEmpty() ? QStringLiteral("_") : slot.caption;
        return text;
    }

    [[nodiscard]] QString tileText() const
    {
        QString text;
        for (const Control& tile : model->tiles())
            text += tile.caption;
        return text;
    }

    [[nodiscard]] QString playedName(int fromEnd = 0) const
    {
        return sound.played.isEmpty()
            ? QString()
            : QFileInfo(sound.played.at(sound.played.size() - 1 - fromEnd)).fileName();
    }
};

} // namespace trouvimo
