#include "gamedata/GameData.h"
#include "platform/files/DataPaths.h"

#include "FakeSoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;

Q_DECLARE_METATYPE(trouvimo::Cue)

// The cues against a game folder whose files are spelled as a parent might copy them.
class GameDataTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyCuePlaysItsFileWhateverTheCase_data();
    void everyCuePlaysItsFileWhateverTheCase();

private:
    QTemporaryDir m_root;
};

void GameDataTest::initTestCase()
{
    QVERIFY(QDir(m_root.path()).mkpath(u"SONS"_s));
    for (const QString& name : {u"LOGOFF.WAV"_s, u"fanfare4.wav"_s, u"Chimes.wav"_s,
                                u"camera.wav"_s, u"Cashreg.wav"_s, u"TADA.wav"_s}) {
        QFile file(m_root.filePath(u"SONS/"_s + name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

void GameDataTest::everyCuePlaysItsFileWhateverTheCase_data()
{
    QTest::addColumn<Cue>("cue");
    QTest::addColumn<QString>("file");
    QTest::newRow("greeting") << Cue::Greeting << u"LOGOFF.WAV"_s;
    QTest::newRow("board opens") << Cue::BoardOpens << u"fanfare4.wav"_s;
    QTest::newRow("next word") << Cue::NextWord << u"Chimes.wav"_s;
    QTest::newRow("tile chosen") << Cue::TileChosen << u"camera.wav"_s;
    QTest::newRow("reset") << Cue::Reset << u"Cashreg.wav"_s;
    QTest::newRow("solved") << Cue::Solved << u"TADA.wav"_s;
    QTest::newRow("goodbye") << Cue::Goodbye << u"Chimes.wav"_s;
}

void GameDataTest::everyCuePlaysItsFileWhateverTheCase()
{
    QFETCH(Cue, cue);
    QFETCH(QString, file);
    FakeSoundPlayer player;
    playCue(cue, DataPaths(m_root.path()), player);
    QCOMPARE(player.played, QStringList {m_root.filePath(u"SONS/"_s + file)});
}

QTEST_GUILESS_MAIN(GameDataTest)
#include "tst_gamedata.moc"
