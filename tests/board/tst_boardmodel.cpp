#include "BoardRig.h"

#include <QtTest>

#include <random>
#include <set>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

constexpr float kTileWidth = 645.0F;
constexpr float kTilePitch = kTileWidth + 50.0F;

struct Unloaded { };

} // namespace

class TestBoardModel : public QObject {
    Q_OBJECT

private slots:
    // Opening
    void opensInEitherLanguage_data();
    void opensInEitherLanguage();
    void missingListShowsTheMessageThenCloses_data();
    void missingListShowsTheMessageThenCloses();
    void playingListKeepsOnlyPlayableEntries();
    void openingRecordsTheDesignPositions();
    void slotRowSitsInsideItsFrame();

    // Rounds
    void roundLaysOutTheWordAsTiles();
    void tilesFollowTheDrawnLetterOrder();
    void nextRoundUnloadsThePreviousTiles();
    void endMessage_data();
    void endMessage();
    void shortListsArePlayedThrough_data();
    void shortListsArePlayedThrough();
    void emptyListGoesStraightToTheEnd();
    void secondPressDuringThePauseIsIgnored();
    void roundStartStopsTheMovementTimers();
    void closingDuringThePauseLaysOutNothing();
    void closingChimesThenEndsOnce();

    // Travel, placement, answer
    void tileTravelTickCounts();
    void secondTileTakesTheTimers();
    void rightOrderShowsThePictureOnTheLastLetter();
    void wrongOrderShowsNothing();
    void oneLetterWordIsSolvedByOneClick();
    void pictureFolderFollowsTheLanguage_data();
    void pictureFolderFollowsTheLanguage();
    void missingPictureShowsNothingAndPlayGoesOn();
    void pictureNeverLeavesItsFolder_data();
    void pictureNeverLeavesItsFolder();
    void pictureStaysUntilTheNextSuccess();

    // Reset
    void resetAfterSomeLetters();
    void resetDuringATravel();
    void resetAfterSuccessKeepsThePicture();
    void resetOnTheEndMessage();
    void resetOfAOneLetterWord();
    void resetEmptiesTheSlotsWhicheverTimerTicksFirst_data();
    void resetEmptiesTheSlotsWhicheverTimerTicksFirst();

    // Difficult level
    void difficultLevel();
    void hintTimerOutlivesTheEndMessage();

    // Everything at once
    void randomPlayKeepsTheRoundInvariants();
};

void TestBoardModel::opensInEitherLanguage_data()
{
    QTest::addColumn<bool>("francais");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("play");
    QTest::addColumn<QString>("quit");
    QTest::addColumn<QString>("check");
    QTest::newRow("French") << true << u"TROUVIMO ..."_s << u"&Jouer"_s << u"&Quitter"_s << u"Niveau difficile"_s;
    QTest::newRow("English") << false << u"Trouvimo ..."_s << u"Play"_s << u"Quit"_s << u"Difficult Level"_s;
}

void TestBoardModel::opensInEitherLanguage()
{
    QFETCH(bool, francais);
    BoardRig rig(francais);
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    const BoardModel& model = *rig.model;
    QFETCH(QString, title);
    QCOMPARE(model.Caption, title);
    QFETCH(QString, play);
    QCOMPARE(model.cmdJouer[0].Caption, play);
    QFETCH(QString, quit);
    QCOMPARE(model.cmdJouer[1].Caption, quit);
    QFETCH(QString, check);
    QCOMPARE(model.Check1.Caption, check);
    QCOMPARE(rig.playedName(), u"fanfare4.wav"_s);
    QVERIFY(!model.GifPic.Visible);
    QVERIFY(rig.messages.texts.isEmpty());
    QCOMPARE(model.Manche, 0);
    std::vector<qint16> order = rig.loterie->OrdreMots;
    std::sort(order.begin(), order.end());
    QCOMPARE(order, (std::vector<qint16> {1, 2, 3}));
}

void TestBoardModel::missingListShowsTheMessageThenCloses_data()
{
    QTest::addColumn<bool>("francais");
    QTest::addColumn<QString>("otherList");
    QTest::addColumn<QString>("text");
    QTest::newRow("French") << true << u"ListeMotsAnglais.txt"_s
                            << u"Le fichier ListeMots.txt doit se trouver à la racine du répertoire pour que le jeu fonctionne correctement."_s;
    QTest::newRow("English") << false << u"ListeMots.txt"_s
                             << u"Le fichier ListeMotsAnglais.txt doit se trouver à la racine du répertoire pour que le jeu fonctionne correctement."_s;
}

void TestBoardModel::missingListShowsTheMessageThenCloses()
{
    QFETCH(bool, francais);
    BoardRig rig(francais);
    // The other language's list is there: only the chosen one counts.
    QFETCH(QString, otherList);
    rig.writeList(otherList, {u"chat"_s});
    std::vector<QString> order;
    rig.processEnd.onEnd = [&] { order.push_back(u"end"_s); };
    rig.model->Form_Load();

    QCOMPARE(rig.messages.titles, QStringList {u"Trouvimo"_s});
    QFETCH(QString, text);
    QCOMPARE(rig.messages.texts, QStringList {text});
    QCOMPARE(rig.playedName(), u"Chimes.wav"_s);
    QCOMPARE(rig.processEnd.calls, 1);
    QVERIFY(rig.model->unloaded());
    // Nothing of the board runs after the end.
    rig.model->cmdJouer_Click(0);
    QCOMPARE(rig.model->Manche, 0);
    QCOMPARE(rig.processEnd.calls, 1);
}

void TestBoardModel::playingListKeepsOnlyPlayableEntries()
{
    BoardRig rig;
    rig.open({u"chat"_s, QString(), u"abcdefghijklm"_s, u"abcdefghijkl"_s, u" a b "_s, u"x"_s});
    const BoardModel& model = *rig.model;
    QCOMPARE(model.words.NbMots, 6);
    QCOMPARE(model.NbMots, 4);
    QCOMPARE(model.ListeJeu,
             (QList<QString> {u"chat"_s, u"abcdefghijkl"_s, u" a b "_s, u"x"_s, QString()}));
}

void TestBoardModel::openingRecordsTheDesignPositions()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    BoardModel& model = *rig.model;
    QCOMPARE(model.GaucheTuile0, 600.0F);
    QCOMPARE(model.HautTuile0, 1080.0F);
    for (int i = 0; i < BoardModel::kSlotCount; ++i) {
        QCOMPARE(model.GaucheCases[i], 3000.0F + 720.0F * static_cast<float>(i));
        QCOMPARE(model.HautCases[i], 6480.0F);
    }
    // The records keep the design whatever happens to the controls afterwards.
    rig.play();
    rig.placeTile(0);
    QCOMPARE(model.GaucheTuile0, 600.0F);
    QCOMPARE(model.HautTuile0, 1080.0F);
}

void TestBoardModel::slotRowSitsInsideItsFrame()
{
    BoardRig rig;
    const BoardModel& model = *rig.model;
    const Control& first = model.Label3.front();
    const Control& last = model.Label3.back();
    QCOMPARE(first.Left - model.Shape1.Left, 120.0F);
    QCOMPARE(model.Shape1.Left + model.Shape1.Width - (last.Left + last.Width), 120.0F);
    QCOMPARE(first.Top - model.Shape1.Top, 120.0F);
    QCOMPARE(model.Shape1.Top + model.Shape1.Height - (first.Top + first.Height), 120.0F);
    for (int i = 1; i < BoardModel::kSlotCount; ++i)
        QCOMPARE(model.Label3[i].Left - (model.Label3[i - 1].Left + model.Label3[i - 1].Width), 105.0F);
    QCOMPARE(model.Label2.Top, -240.0F);
}

void TestBoardModel::roundLaysOutTheWordAsTiles()
{
    BoardRig rig;
    rig.open({u"éléphant"_s, u"chat"_s, u"lapin"_s});
    rig.play();
    const BoardModel& model = *rig.model;
    QCOMPARE(rig.pause.durations, (std::vector<float> {0.5F}));
    QCOMPARE(rig.sound.played.size(), 2);
    QCOMPARE(rig.playedName(), u"Chimes.wav"_s);
    QCOMPARE(model.Manche, 1);
    QCOMPARE(model.MotCourant, u"ÉLÉPHANT"_s);
    QCOMPARE(model.Label2.Caption, u"éléphant"_s);
    QCOMPARE(rig.loterie->NbMax, 8);
    QCOMPARE(model.Label1.size(), std::size_t {8});
    QCOMPARE(rig.tileText(), u"ÉLÉPHANT"_s);
    for (std::size_t m = 0; m < model.Label1.size(); ++m) {
        const Control& tile = model.Label1[m];
        QVERIFY(tile.Visible);
        QCOMPARE(tile.Top, 1080.0F);
        QCOMPARE(tile.Left, 600.0F + kTilePitch * static_cast<float>(m));
        QCOMPARE(tile.Width, kTileWidth);
    }
    for (const Control& slot : model.Label3) {
        QVERIFY(!slot.Visible);
        QVERIFY(slot.Caption.isEmpty());
    }
}

void TestBoardModel::tilesFollowTheDrawnLetterOrder()
{
    BoardRig rig;
    // Word order positions 0, 0, 0; letter positions 1, 0, 0 give the letter order 2, 1, 3.
    rig.random->values = {0.0F, 0.0F, 0.0F, 0.001F, 0.0F, 0.0F};
    rig.open({u"abc"_s, u"de"_s, u"fg"_s});
    rig.play();
    QCOMPARE(rig.tileText(), u"BAC"_s);
    QCOMPARE(rig.model->Lettres, (QList<QString> {u"A"_s, u"B"_s, u"C"_s}));
}

void TestBoardModel::nextRoundUnloadsThePreviousTiles()
{
    BoardRig rig;
    rig.open({u"papillon"_s, u"ours"_s, u"chat"_s});
    rig.play();
    QCOMPARE(rig.model->Label1.size(), std::size_t {8});
    rig.play();
    QCOMPARE(rig.model->Label1.size(), std::size_t {4});
    QCOMPARE(rig.tileText(), u"OURS"_s);
    QCOMPARE(rig.model->Label1[3].Left, 600.0F + 3 * kTilePitch);
}

void TestBoardModel::endMessage_data()
{
    QTest::addColumn<bool>("francais");
    QTest::addColumn<QString>("message");
    QTest::newRow("French") << true << u"C'EST_FINI__"_s;
    QTest::newRow("English") << false << u"THE_END_____"_s;
}

void TestBoardModel::endMessage()
{
    QFETCH(bool, francais);
    BoardRig rig(francais);
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    for (int round = 0; round < 3; ++round)
        rig.play();
    rig.placeTile(0);
    const QString lastHint = rig.model->Label2.Caption;
    rig.play();
    const BoardModel& model = *rig.model;
    QFETCH(QString, message);
    QCOMPARE(rig.slotText().replace(u' ', u'_'), message);
    for (int i = 0; i < BoardModel::kSlotCount; ++i)
        QCOMPARE(model.Label3[i].Visible, i < 10);
    QVERIFY(!model.cmdJouer0Enabled);
    QCOMPARE(model.Manche, 3);
    QCOMPARE(model.Label2.Caption, lastHint);
    QCOMPARE(model.NbPlacees, 0);
    // The play button stays dead; the quit button still works.
    rig.play();
    QCOMPARE(rig.pause.durations.size(), std::size_t {4});
    rig.model->cmdJouer_Click(1);
    QCOMPARE(rig.processEnd.calls, 1);
}

void TestBoardModel::shortListsArePlayedThrough_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::newRow("one word") << QStringList {u"soleil"_s};
    QTest::newRow("two words") << QStringList {u"soleil"_s, u"lune"_s};
    QTest::newRow("one word among unplayable lines")
        << QStringList {QString(), u"soleil"_s, u"anticonstitutionnel"_s};
}

void TestBoardModel::shortListsArePlayedThrough()
{
    QFETCH(QStringList, list);
    BoardRig rig;
    rig.open(list);
    QSet<QString> seen;
    for (qint16 round = 1; round <= rig.model->NbMots; ++round) {
        rig.play();
        QCOMPARE(rig.model->Manche, round);
        seen.insert(rig.model->Label2.Caption);
    }
    QCOMPARE(seen.size(), rig.model->NbMots);
    rig.play();
    QVERIFY(!rig.model->cmdJouer0Enabled);
}

void TestBoardModel::emptyListGoesStraightToTheEnd()
{
    BoardRig rig;
    rig.open({QString(), QString()});
    QCOMPARE(rig.model->NbMots, 0);
    rig.play();
    QVERIFY(!rig.model->cmdJouer0Enabled);
    QCOMPARE(rig.slotText(), u"C'EST FINI__"_s);
    QVERIFY(!rig.model->Label1[0].Visible);
    // Clicking the message brings back no tile, as there never was a word.
    rig.model->Label3_Click(0);
    rig.model->Timer2_Timer();
    QVERIFY(!rig.model->Label1[0].Visible);
    QCOMPARE(rig.model->Label1.size(), std::size_t {1});
}

void TestBoardModel::secondPressDuringThePauseIsIgnored()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    int nested = 0;
    rig.pause.duringPause = [&] {
        if (nested++ == 0) {
            QVERIFY(rig.model->roundStartPending());
            rig.model->cmdJouer_Click(0);
        }
    };
    rig.play();
    QCOMPARE(rig.model->Manche, 1);
    QCOMPARE(rig.model->MotCourant, u"CHAT"_s);
    QCOMPARE(rig.pause.durations.size(), std::size_t {1});
    QVERIFY(!rig.model->roundStartPending());
}

void TestBoardModel::roundStartStopsTheMovementTimers()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    rig.play();
    rig.model->Label1_Click(2);
    rig.model->Timer2_Timer();
    rig.play();
    QVERIFY(!rig.model->Timer1.Enabled);
    QVERIFY(!rig.model->Timer2.Enabled);
    QCOMPARE(rig.model->Label1[0].Left, 600.0F);
    QCOMPARE(rig.model->NbPlacees, 0);
}

void TestBoardModel::closingDuringThePauseLaysOutNothing()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    rig.play();
    rig.model->Label1_Click(0);
    rig.pause.duringPause = [&] { rig.model->cmdJouer_Click(1); };
    rig.play();
    QCOMPARE(rig.processEnd.calls, 1);
    QCOMPARE(rig.model->Manche, 1);
    QCOMPARE(rig.model->MotCourant, u"CHAT"_s);
    QVERIFY(!rig.model->Timer1.Enabled && !rig.model->Timer2.Enabled && !rig.model->Timer3.Enabled);
    // A tick that was already on its way does nothing.
    const float left = rig.model->Label1[0].Left;
    rig.model->Timer2_Timer();
    QCOMPARE(rig.model->Label1[0].Left, left);
}

void TestBoardModel::closingChimesThenEndsOnce()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    QStringList steps;
    rig.processEnd.onEnd = [&] { steps << rig.playedName() << u"end"_s; };
    rig.model->Form_Unload();
    QCOMPARE(steps, (QStringList {u"Chimes.wav"_s, u"end"_s}));
    rig.model->Form_Unload();
    QCOMPARE(rig.processEnd.calls, 1);
}

void TestBoardModel::tileTravelTickCounts()
{
    BoardRig rig;
    rig.open({u"abcdef"_s, u"de"_s, u"fg"_s});
    rig.play();
    BoardModel& model = *rig.model;

    // The first tile needs five ticks of Timer2 and eleven of Timer1.
    model.Label1_Click(0);
    QCOMPARE(rig.playedName(), u"Camera.wav"_s);
    int timer2Ticks = 0;
    while (model.Timer2.Enabled) {
        model.Timer2_Timer();
        ++timer2Ticks;
    }
    QCOMPARE(timer2Ticks, 5);
    QCOMPARE(model.NbPlacees, 1);
    QVERIFY(!model.Label1[0].Visible);
    QCOMPARE(model.Label3[0].Caption, u"A"_s);
    QVERIFY(model.Label3[0].Visible);
    int timer1Ticks = 0;
    while (model.Timer1.Enabled) {
        model.Timer1_Timer();
        ++timer1Ticks;
    }
    QCOMPARE(timer1Ticks, 11);

    // Tiles two and three need fewer; from the fourth on, one tick places them.
    const int expected[] = {4, 2, 1, 1, 1};
    for (int m = 1; m < 6; ++m) {
        model.Label1_Click(m);
        int ticks = 0;
        while (model.Timer2.Enabled) {
            model.Timer2_Timer();
            ++ticks;
        }
        QCOMPARE(ticks, expected[m - 1]);
        QCOMPARE(model.NbPlacees, m + 1);
    }
    QCOMPARE(rig.slotText(), u"ABCDEF______"_s);
}

void TestBoardModel::secondTileTakesTheTimers()
{
    BoardRig rig;
    rig.open({u"abc"_s, u"de"_s, u"fg"_s});
    rig.play();
    BoardModel& model = *rig.model;
    model.Label1_Click(0);
    model.Timer1_Timer();
    model.Timer2_Timer();
    model.Label1_Click(2);
    QCOMPARE(model.TuileChoisie, 2);
    while (model.Timer2.Enabled) {
        model.Timer1_Timer();
        model.Timer2_Timer();
    }
    QCOMPARE(rig.slotText(), u"C___________"_s);
    // The first tile stays where it stopped, shown, and can be sent on again.
    QVERIFY(model.Label1[0].Visible);
    QCOMPARE(model.Label1[0].Left, 1100.0F);
    QCOMPARE(model.Label1[0].Top, 1580.0F);
    rig.placeTile(0);
    QCOMPARE(rig.slotText(), u"CA__________"_s);
}

void TestBoardModel::rightOrderShowsThePictureOnTheLastLetter()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHA"_s);
    QVERIFY(!rig.model->GifPic.Visible);
    QVERIFY(rig.picture.loaded.isEmpty());
    rig.spell(u"T"_s);
    const Control& picture = rig.model->GifPic;
    QVERIFY(picture.Visible);
    QCOMPARE(picture.Left, 240.0F);
    QCOMPARE(picture.Top, 5880.0F);
    QCOMPARE(picture.Width, 2175.0F);
    QCOMPARE(rig.playedName(), u"Tada.wav"_s);
    QCOMPARE(rig.picture.loaded.size(), 1);
}

void TestBoardModel::wrongOrderShowsNothing()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"TACH"_s);
    QCOMPARE(rig.slotText(), u"TACH________"_s);
    QVERIFY(!rig.model->GifPic.Visible);
    QVERIFY(rig.picture.loaded.isEmpty());
    QCOMPARE(rig.playedName(), u"Camera.wav"_s);
}

void TestBoardModel::oneLetterWordIsSolvedByOneClick()
{
    BoardRig rig;
    rig.picture.sizes[u"Y.gif"_s] = QSizeF(1500, 1500);
    rig.open({u"y"_s, u"de"_s, u"fg"_s});
    rig.play();
    QCOMPARE(rig.loterie->OrdreLettres, (std::vector<qint16> {0, 1}));
    rig.placeTile(0);
    QVERIFY(rig.model->GifPic.Visible);
    QCOMPARE(rig.model->GifPic.Left, 2655.0F / 2 - 750.0F);
}

void TestBoardModel::pictureFolderFollowsTheLanguage_data()
{
    QTest::addColumn<bool>("francais");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::newRow("French") << true << u"chat"_s << u"Images/Mots"_s << u"CHAT.gif"_s;
    QTest::newRow("French accents") << true << u"hérisson"_s << u"Images/Mots"_s << u"HÉRISSON.gif"_s;
    QTest::newRow("English") << false << u"cat"_s << u"Images/MotsAnglais"_s << u"CAT.gif"_s;
}

void TestBoardModel::pictureFolderFollowsTheLanguage()
{
    QFETCH(bool, francais);
    QFETCH(QString, word);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    BoardRig rig(francais);
    QDir(rig.directory.path()).mkpath(folder);
    QFile picture(rig.directory.filePath(folder + u'/' + file));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.close();
    rig.picture.sizes[file] = QSizeF(1800, 1800);
    rig.open({word, u"xy"_s, u"zw"_s});
    rig.play();
    rig.spell(word.toUpper());
    QCOMPARE(rig.picture.loaded, QStringList {picture.fileName()});
    QVERIFY(rig.model->GifPic.Visible);
}

void TestBoardModel::missingPictureShowsNothingAndPlayGoesOn()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    QVERIFY(!rig.model->GifPic.Visible);
    QCOMPARE(rig.playedName(), u"Tada.wav"_s);
    rig.play();
    QCOMPARE(rig.model->MotCourant, u"DE"_s);
}

void TestBoardModel::pictureNeverLeavesItsFolder_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("parent folders") << u"..\\..\\x"_s;
    QTest::newRow("slash") << u"a/b"_s;
    QTest::newRow("backslash root") << u"\\x"_s;
}

void TestBoardModel::pictureNeverLeavesItsFolder()
{
    QFETCH(QString, word);
    BoardRig rig;
    rig.open({word, u"de"_s, u"fg"_s});
    rig.play();
    QCOMPARE(rig.model->MotCourant, word.toUpper());
    rig.spell(word.toUpper());
    QCOMPARE(rig.model->NbPlacees, word.size());
    QVERIFY(rig.picture.loaded.isEmpty());
    QVERIFY(!rig.model->GifPic.Visible);
}

void TestBoardModel::pictureStaysUntilTheNextSuccess()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.picture.sizes[u"DE.gif"_s] = QSizeF(1500, 1200);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    rig.play();
    QVERIFY(rig.model->GifPic.Visible);
    QCOMPARE(rig.model->GifPic.Width, 2175.0F);
    rig.spell(u"ED"_s);
    QCOMPARE(rig.model->GifPic.Width, 2175.0F);
    rig.model->Label3_Click(0);
    rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    rig.spell(u"DE"_s);
    QCOMPARE(rig.model->GifPic.Width, 1500.0F);
    QCOMPARE(rig.model->GifPic.Top, 3015.0F / 2 + 5280.0F - 600.0F);
}

void TestBoardModel::resetAfterSomeLetters()
{
    BoardRig rig;
    rig.open({u"abcde"_s, u"de"_s, u"fg"_s});
    rig.random->values = {};
    rig.play();
    rig.spell(u"ACE"_s);
    rig.model->Label3_Click(1);
    QCOMPARE(rig.playedName(), u"Cashreg.wav"_s);
    QVERIFY(rig.model->Effacement);
    rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    const BoardModel& model = *rig.model;
    QVERIFY(!model.Effacement);
    QVERIFY(!model.Timer1.Enabled && !model.Timer2.Enabled);
    QCOMPARE(model.NbPlacees, 0);
    QCOMPARE(rig.tileText(), u"ABCDE"_s);
    for (std::size_t m = 0; m < model.Label1.size(); ++m) {
        QVERIFY(model.Label1[m].Visible);
        QCOMPARE(model.Label1[m].Left, 600.0F + kTilePitch * static_cast<float>(m));
        QCOMPARE(model.Label1[m].Top, 1080.0F);
    }
    for (const Control& slot : model.Label3)
        QVERIFY(!slot.Visible && slot.Caption.isEmpty());
}

void TestBoardModel::resetDuringATravel()
{
    BoardRig rig;
    rig.open({u"abc"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.model->Label1_Click(1);
    rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    rig.model->Label3_Click(0); // hidden: nothing to click yet
    QVERIFY(!rig.model->Effacement);
    rig.spell(u"A"_s);
    rig.model->Label1_Click(1);
    rig.model->Timer2_Timer();
    rig.model->Label3_Click(0);
    rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    QCOMPARE(rig.model->Label1[1].Left, 600.0F + kTilePitch);
    QCOMPARE(rig.model->Label1[1].Top, 1080.0F);
    QCOMPARE(rig.slotText(), u"____________"_s);
    // The next click starts an ordinary travel.
    rig.spell(u"ABC"_s);
    QCOMPARE(rig.slotText(), u"ABC_________"_s);
}

void TestBoardModel::resetAfterSuccessKeepsThePicture()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    rig.model->Label3_Click(3);
    rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    QVERIFY(rig.model->GifPic.Visible);
    rig.spell(u"CHAT"_s);
    QCOMPARE(rig.picture.loaded.size(), 2);
}

void TestBoardModel::resetOnTheEndMessage()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    for (int round = 0; round < 4; ++round)
        rig.play();
    rig.model->Label3_Click(4);
    rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    QCOMPARE(rig.slotText(), u"____________"_s);
    for (const Control& slot : rig.model->Label3)
        QVERIFY(!slot.Visible);
    QCOMPARE(rig.tileText(), u"FG"_s);
    QVERIFY(!rig.model->cmdJouer0Enabled);
    // The last word's tiles can still be placed.
    rig.spell(u"GF"_s);
    QCOMPARE(rig.slotText(), u"GF__________"_s);
}

void TestBoardModel::resetOfAOneLetterWord()
{
    BoardRig rig;
    rig.open({u"y"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.placeTile(0);
    rig.model->Label3_Click(0);
    rig.model->Timer2_Timer();
    QCOMPARE(rig.model->Label1.size(), std::size_t {1});
    QVERIFY(rig.model->Label1[0].Visible);
    QCOMPARE(rig.model->Label1[0].Left, 600.0F);
    QCOMPARE(rig.model->Label1[0].Top, 1080.0F);
    QCOMPARE(rig.model->Label1[0].Caption, u"Y"_s);
}

void TestBoardModel::resetEmptiesTheSlotsWhicheverTimerTicksFirst_data()
{
    QTest::addColumn<bool>("timer1First");
    QTest::newRow("Timer1 first") << true;
    QTest::newRow("Timer2 first") << false;
}

void TestBoardModel::resetEmptiesTheSlotsWhicheverTimerTicksFirst()
{
    QFETCH(bool, timer1First);
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"TAHC"_s);
    rig.model->Label3_Click(0);
    if (timer1First)
        rig.model->Timer1_Timer();
    rig.model->Timer2_Timer();
    rig.model->Timer1_Timer(); // stopped by the reset: does nothing
    QCOMPARE(rig.slotText(), u"____________"_s);
    // With the old letters gone, the right spelling is accepted.
    rig.spell(u"CHAT"_s);
    QVERIFY(rig.model->GifPic.Visible);
}

void TestBoardModel::difficultLevel()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    BoardModel& model = *rig.model;
    model.Check1_Click(1);
    QVERIFY(model.Difficile);
    QVERIFY(!model.Timer3.Enabled);
    rig.play();
    QVERIFY(model.Timer3.Enabled);
    QCOMPARE(model.Label2.Caption, u"chat"_s);
    model.Timer3_Timer();
    QVERIFY(model.Label2.Caption.isEmpty());
    QVERIFY(!model.Timer3.Enabled);

    // Unticked during a round: the running timer still empties this hint; the next one stays.
    rig.play();
    model.Check1_Click(0);
    QVERIFY(model.Timer3.Enabled);
    model.Timer3_Timer();
    QVERIFY(model.Label2.Caption.isEmpty());
    rig.play();
    QVERIFY(!model.Timer3.Enabled);
    QCOMPARE(model.Label2.Caption, u"fg"_s);

    // Ticked during a round: this hint stays; the greyed state changes nothing.
    model.Check1_Click(1);
    QVERIFY(!model.Timer3.Enabled);
    model.Check1_Click(2);
    QVERIFY(model.Difficile);
}

void TestBoardModel::hintTimerOutlivesTheEndMessage()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.model->Check1_Click(1);
    for (int round = 0; round < 3; ++round)
        rig.play();
    const unsigned started = rig.model->Timer3.started;
    rig.play();
    QVERIFY(!rig.model->cmdJouer0Enabled);
    QVERIFY(rig.model->Timer3.Enabled);
    QCOMPARE(rig.model->Timer3.started, started);
    rig.model->Timer3_Timer();
    QVERIFY(rig.model->Label2.Caption.isEmpty());
}

// Thousands of random clicks and ticks, some of them inside the play button's pause; after
// every event the round invariants must hold.
void TestBoardModel::randomPlayKeepsTheRoundInvariants()
{
    std::mt19937 random(20261208);
    const QStringList list {u"éléphant"_s, u"chat"_s, u"y"_s, u"abcdefghijkl"_s, u"ours"_s,
                            u"papillon"_s, u" a b "_s, u"fraise"_s};
    for (int game = 0; game < 40; ++game) {
        BoardRig rig(game % 2 == 0);
        rig.random->values.clear();
        rig.writeList(list);
        BoardModel& model = *rig.model;
        model.Form_Load();
        // Fresh randomness for the draws of this game.
        std::uniform_real_distribution<float> unit(0.0F, 0.999F);
        for (int i = 0; i < 400; ++i)
            rig.random->values.push_back(unit(random));

        auto randomEvent = [&](auto& self, int depth) -> void {
            const int kind = static_cast<int>(random() % 8);
            switch (kind) {
            case 0:
                if (random() % 6 == 0)
                    model.cmdJouer_Click(0);
                break;
            case 1:
                model.Label1_Click(static_cast<int>(random() % 14) - 1);
                break;
            case 2:
                if (random() % 4 == 0)
                    model.Label3_Click(static_cast<int>(random() % 12));
                break;
            case 3:
                model.Check1_Click(static_cast<int>(random() % 3));
                break;
            case 4:
                model.Timer1_Timer();
                break;
            case 5:
            case 6:
                model.Timer2_Timer();
                break;
            default:
                model.Timer3_Timer();
                break;
            }
            if (depth == 0 && random() % 3 == 0)
                self(self, 1);
        };
        rig.pause.duringPause = [&] {
            for (int n = 0; n < 3; ++n)
                randomEvent(randomEvent, 1);
        };

        for (int step = 0; step < 600; ++step) {
            randomEvent(randomEvent, 0);
            if (model.Manche < 1)
                continue;
            const qint16 number = rig.loterie->OrdreMots[model.Manche - 1];
            const QString word = model.ListeJeu[number - 1].toUpper();
            QCOMPARE(model.MotCourant, word);
            QCOMPARE(rig.loterie->NbMax, word.size());
            QVERIFY(model.Label1.size() == static_cast<std::size_t>(word.size()) || word.isEmpty());
            QVERIFY(model.NbPlacees >= 0 && model.NbPlacees <= word.size());
            // The slots hold the letters placed so far, every one a letter of the word.
            std::multiset<QString> letters(model.Lettres.begin(), model.Lettres.end());
            if (model.cmdJouer0Enabled && !model.Effacement) {
                for (int i = 0; i < model.NbPlacees; ++i) {
                    const auto found = letters.find(model.Label3[i].Caption);
                    QVERIFY2(found != letters.end(), qPrintable(model.Label3[i].Caption));
                    letters.erase(found);
                }
            }
        }
        QVERIFY(model.Manche <= model.NbMots);
    }
}

QTEST_GUILESS_MAIN(TestBoardModel)
#include "tst_boardmodel.moc"
