#pragma once

#include "BoardModel.h"
#include "DataPaths.h"
#include "FakePause.h"
#include "FakeProcessEnd.h"
#include "FakeSoundPlayer.h"
#include "Loterie.h"
#include "SharedValues.h"

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
    void reseed(double /*clockReading*/) override {}
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

// Pictures known by file name, with their sizes in twips; any other file does not load.
class FakePicture final : public PictureSource {
public:
    std::optional<QSizeF> load(const QString& file) override
    {
        loaded.append(file);
        const auto found = sizes.find(QFileInfo(file).fileName());
        if (found == sizes.end())
            return std::nullopt;
        return found->second;
    }
    void clear() override { ++clears; }

    std::map<QString, QSizeF> sizes;
    QStringList loaded;
    int clears = 0;
};

class FakeMessageBox final : public MessageBox {
public:
    void showMessage(const QString& title, const QString& text) override
    {
        titles.append(title);
        texts.append(text);
    }
    QStringList titles;
    QStringList texts;
};

// A board with every service faked, over an application directory of its own.
struct BoardRig {
    QTemporaryDir directory;
    SharedValues shared;
    std::unique_ptr<DataPaths> paths;
    FakeSoundPlayer sound;
    FakePause pause;
    FakeProcessEnd processEnd;
    FakePicture picture;
    FakeMessageBox messages;
    ScriptedRandom* random = nullptr;
    std::unique_ptr<Loterie> loterie;
    std::unique_ptr<BoardModel> model;

    explicit BoardRig(bool francais = true)
    {
        shared.Francais = francais;
        paths = std::make_unique<DataPaths>(directory.path());
        auto source = std::make_unique<ScriptedRandom>();
        random = source.get();
        loterie = std::make_unique<Loterie>(std::move(source), [] { return 0.0; });
        model = std::make_unique<BoardModel>(
            BoardServices { shared, *paths, sound, pause, processEnd, *loterie }, picture,
            messages);
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
        writeList(shared.Francais ? QStringLiteral("ListeMots.txt")
                                  : QStringLiteral("ListeMotsAnglais.txt"), lines);
    }

    // Opens the board on a list and starts its first round.
    void open(const QStringList& lines)
    {
        writeList(lines);
        model->Form_Load();
    }
    void play() { model->cmdJouer_Click(0); }

    // Ticks both movement timers, Timer1 first, until the chosen tile is placed or stops.
    int placeTile(int index)
    {
        model->Label1_Click(index);
        int ticks = 0;
        while (model->Timer2.Enabled && ticks < 100) {
            if (model->Timer1.Enabled)
                model->Timer1_Timer();
            model->Timer2_Timer();
            ++ticks;
        }
        return ticks;
    }

    // Places the tiles showing the letters of `word` in that order.
    void spell(const QString& word)
    {
        for (const QChar letter : word) {
            int found = -1;
            for (std::size_t m = 0; m < model->Label1.size(); ++m) {
                const Control& tile = model->Label1[m];
                if (tile.Visible && tile.Caption == QString(letter)) {
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
        for (const Control& slot : model->Label3)
            text += slot.Caption.isEmpty() ? QStringLiteral("_") : slot.Caption;
        return text;
    }

    [[nodiscard]] QString tileText() const
    {
        QString text;
        for (const Control& tile : model->Label1)
            text += tile.Caption;
        return text;
    }

    [[nodiscard]] QString playedName(int fromEnd = 0) const
    {
        return sound.played.isEmpty() ? QString()
                                      : QFileInfo(sound.played.at(sound.played.size() - 1 - fromEnd)).fileName();
    }
};

} // namespace trouvimo
