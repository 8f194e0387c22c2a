#include "BoardRig.h"

#include <QtTest>

#include <random>
#include <set>

using namespace Qt::StringLiterals;
using namespace trouvimo;

Q_DECLARE_METATYPE(trouvimo::Language)

namespace {

constexpr float kTilePitch = design::kFirstTile.width + design::kTileGap;

struct Unloaded { };

// The board's keys, as the window hands them to the board.
enum class Key { LetterOfATile, BackspaceOrEscape, EnterOrSpace, F1 };

void press(Board& board, Key key)
{
    switch (key) {
    case Key::LetterOfATile:
        board.lettersTyped(u"f"_s);
        break;
    case Key::BackspaceOrEscape:
        board.startWordAgain();
        break;
    case Key::EnterOrSpace:
        board.playNextWord();
        break;
    case Key::F1:
        board.sayWordAgain();
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Key)

class TestBoard : public QObject {
    Q_OBJECT

private slots:
    // Opening
    void computerSettingsFixTheBoard_data();
    void computerSettingsFixTheBoard();
    void opensInEitherLanguage_data();
    void opensInEitherLanguage();
    void missingListShowsTheMessageThenCloses_data();
    void missingListShowsTheMessageThenCloses();
    void playingListKeepsOnlyPlayableEntries();
    void aTileIsALetterAsAReaderSeesIt_data();
    void aTileIsALetterAsAReaderSeesIt();
    void openingRecordsTheDesignPositions();
    void slotRowSitsInsideItsFrame();

    // Rounds
    void roundLaysOutTheWordAsTiles();
    void tilesFollowTheDrawnLetterOrder();
    void nextRoundUnloadsThePreviousTiles();
    void endMessage_data();
    void endMessage();
    void keysChangeNothingAtTheEnd_data();
    void keysChangeNothingAtTheEnd();
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
    void pictureFitsItsFrame_data();
    void pictureFitsItsFrame();

    // Reset
    void resetAfterSomeLetters();
    void resetDuringATravel();
    void resetAfterSuccessKeepsThePicture();
    void resetOnTheEndMessage();
    void resetOfAOneLetterWord();
    void resetEmptiesTheSlotsWhicheverTimerTicksFirst_data();
    void resetEmptiesTheSlotsWhicheverTimerTicksFirst();

    // Keyboard
    void typedLettersTakeTheirTiles_data();
    void typedLettersTakeTheirTiles();
    void waitingLettersBelongToTheirWord();
    void aScreenReaderHearsTheRowAndTheLettersThatFindNoTile_data();
    void aScreenReaderHearsTheRowAndTheLettersThatFindNoTile();
    void keysAndClicksLeaveInTheOrderAsked_data();
    void keysAndClicksLeaveInTheOrderAsked();

    // Difficult level
    void difficultLevel();
    void hintTimerOutlivesTheEndMessage();

    // The word said aloud
    void voiceChoosesTheRecordingOverSynthesis_data();
    void voiceChoosesTheRecordingOverSynthesis();
    void wordIsSaidWhenLaidOutAndAfterTheFanfare();
    void cuesCutTheWord_data();
    void cuesCutTheWord();
    void speakerAndVoiceBox();

    // Everything at once
    void randomPlayKeepsTheRoundInvariants();
};

void TestBoard::voiceChoosesTheRecordingOverSynthesis_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("recording");
    QTest::addColumn<QString>("played");
    QTest::addColumn<QString>("locale");
    QTest::newRow("no recording: French synthesis, in small letters")
        << Language::French << QString() << QString() << u"fr_FR"_s;
    QTest::newRow("no recording: British synthesis")
        << Language::English << QString() << QString() << u"en_GB"_s;
    QTest::newRow("a WAV recording")
        << Language::French << u"Sons/Mots/ÉTÉ.wav"_s << u"ÉTÉ.wav"_s << QString();
    QTest::newRow("accents stored apart, small letters, Ogg")
        << Language::French << u"Sons/Mots/e\u0301te\u0301.ogg"_s << u"e\u0301te\u0301.ogg"_s
        << QString();
    QTest::newRow("an English recording")
        << Language::English << u"Sons/MotsAnglais/ÉTÉ.flac"_s << u"ÉTÉ.flac"_s << QString();
    QTest::newRow("a French recording is no English one")
        << Language::English << u"Sons/Mots/ÉTÉ.wav"_s << QString() << u"en_GB"_s;
    QTest::newRow("a folder named like a recording")
        << Language::French << u"Sons/Mots/ÉTÉ.wav/"_s << QString() << u"fr_FR"_s;
}

void TestBoard::voiceChoosesTheRecordingOverSynthesis()
{
    QFETCH(Language, language);
    QFETCH(QString, recording);
    QFETCH(QString, played);
    QFETCH(QString, locale);
    BoardRig rig(language);
    if (!recording.isEmpty()) {
        const QString path = rig.directory.filePath(recording);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (recording.endsWith(u'/'))
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
    }
    rig.voice->say(u"ÉTÉ"_s, languageData(language));
    QCOMPARE(rig.playedName(), played);
    if (locale.isEmpty())
        QVERIFY(rig.speech.said.empty());
    else
        QCOMPARE(rig.speech.said, (std::vector<std::pair<QString, QString>> {{u"été"_s, locale}}));
}

void TestBoard::wordIsSaidWhenLaidOutAndAfterTheFanfare()
{
    BoardRig rig;
    rig.open({u"chat"_s});
    rig.sound.playing = true;
    rig.play();
    // The cue before the word is still heard: the word waits for it.
    QVERIFY(rig.speech.said.empty());
    QVERIFY(rig.voice->waiting());
    rig.sound.playing = false;
    QTRY_COMPARE(rig.speech.said.size(), std::size_t(1));
    QCOMPARE(rig.speech.said.back().first, u"chat"_s);

    rig.sound.playing = true;
    rig.spell(u"CHAT"_s);
    QCOMPARE(rig.playedName(), u"Tada.wav"_s);
    QCOMPARE(rig.speech.said.size(), std::size_t(1));
    rig.sound.playing = false;
    QTRY_COMPARE(rig.speech.said.size(), std::size_t(2));
    QCOMPARE(rig.speech.said.back().first, u"chat"_s);
}

void TestBoard::cuesCutTheWord_data()
{
    QTest::addColumn<int>("action");
    QTest::newRow("a reset") << 0;
    QTest::newRow("the next word") << 1;
    QTest::newRow("Quitter") << 2;
    QTest::newRow("a tile sent") << 3;
}

void TestBoard::cuesCutTheWord()
{
    QFETCH(int, action);
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s});
    rig.play();
    rig.placeTile(0);
    rig.sound.playing = true;
    rig.model->sayWordAgain();
    QVERIFY(rig.voice->waiting());
    const int stops = rig.speech.stops;
    const std::size_t said = rig.speech.said.size();
    switch (action) {
    case 0:
        rig.model->slotClicked(0);
        break;
    case 1:
        rig.play();
        break;
    case 2:
        rig.model->quit();
        break;
    default:
        rig.model->tileClicked(1);
        break;
    }
    QVERIFY(rig.speech.stops > stops);
    // The next word is said in its turn; the one cut off is never said late.
    QCOMPARE(rig.voice->waiting(), action == 1);
    rig.sound.playing = false;
    QTest::qWait(100);
    const auto later = std::vector(rig.speech.said.begin() + static_cast<std::ptrdiff_t>(said),
                                   rig.speech.said.end());
    if (action == 1)
        QCOMPARE(later, (std::vector<std::pair<QString, QString>> {{u"de"_s, u"fr_FR"_s}}));
    else
        QVERIFY(later.empty());
}

void TestBoard::speakerAndVoiceBox()
{
    BoardRig rig;
    rig.open({u"chat"_s});
    QVERIFY(!rig.model->speakerButton().visible);
    rig.model->sayWordAgain();
    QVERIFY(rig.speech.said.empty());

    rig.model->difficultBoxChanged(Qt::Checked);
    rig.play();
    rig.model->hideHint();
    QVERIFY(rig.model->hint().caption.isEmpty());
    QVERIFY(rig.model->speakerButton().visible);
    rig.model->sayWordAgain();
    QCOMPARE(rig.speech.said.size(), std::size_t(2));

    rig.model->voiceBoxChanged(Qt::Unchecked);
    rig.model->sayWordAgain();
    rig.spell(u"CHAT"_s);
    QCOMPARE(rig.speech.said.size(), std::size_t(2));

    rig.model->voiceBoxChanged(Qt::Checked);
    rig.play();
    QVERIFY(!rig.model->speakerButton().visible);
    rig.model->sayWordAgain();
    QCOMPARE(rig.speech.said.size(), std::size_t(2));
}

void TestBoard::computerSettingsFixTheBoard_data()
{
    QTest::addColumn<bool>("sayWords");
    QTest::addColumn<bool>("difficultAtStart");
    QTest::newRow("as without settings") << true << false;
    QTest::newRow("words never said") << false << false;
    QTest::newRow("difficult from the start") << true << true;
}

void TestBoard::computerSettingsFixTheBoard()
{
    QFETCH(bool, sayWords);
    QFETCH(bool, difficultAtStart);
    BoardRig rig;
    ComputerSettings settings;
    settings.sayWords = sayWords;
    settings.difficultAtStart = difficultAtStart;
    rig.model = std::make_unique<Board>(rig.services(), rig.language, settings);
    rig.open({u"chat"_s, u"lune"_s});
    QCOMPARE(rig.model->voiceBox().visible, sayWords);
    QCOMPARE(rig.model->difficult(), difficultAtStart);
    QCOMPARE(rig.model->difficultBoxState(), difficultAtStart ? Qt::Checked : Qt::Unchecked);

    // Nothing a child can do brings the words back where the computer keeps them silent.
    rig.model->voiceBoxChanged(Qt::Checked);
    rig.play();
    QCOMPARE(rig.model->speakerButton().visible, sayWords);
    rig.model->sayWordAgain();
    QCOMPARE(rig.speech.said.size(), sayWords ? std::size_t(2) : std::size_t(0));
    QCOMPARE(rig.model->hintTimer().running, difficultAtStart);
}

void TestBoard::opensInEitherLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("play");
    QTest::addColumn<QString>("quit");
    QTest::addColumn<QString>("check");
    QTest::newRow("French") << Language::French << u"TROUVIMO ..."_s << u"&Jouer"_s << u"&Quitter"_s
                            << u"Niveau difficile"_s;
    QTest::newRow("English") << Language::English << u"Trouvimo ..."_s << u"&Play"_s << u"&Quit"_s
                             << u"Difficult Level"_s;
}

void TestBoard::opensInEitherLanguage()
{
    QFETCH(Language, language);
    BoardRig rig(language);
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    const Board& model = *rig.model;
    QFETCH(QString, title);
    QCOMPARE(model.title(), title);
    QFETCH(QString, play);
    QCOMPARE(model.playButton().caption, play);
    QFETCH(QString, quit);
    QCOMPARE(model.quitButton().caption, quit);
    QFETCH(QString, check);
    QCOMPARE(model.difficultBox().caption, check);
    QCOMPARE(rig.playedName(), u"fanfare4.wav"_s);
    QVERIFY(!model.picture().visible);
    QCOMPARE(model.round(), 0);
    std::vector<qint16> order = rig.draw->wordOrder;
    std::sort(order.begin(), order.end());
    QCOMPARE(order, (std::vector<qint16> {1, 2, 3}));
}

void TestBoard::missingListShowsTheMessageThenCloses_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("otherList");
    QTest::addColumn<QString>("text");
    QTest::newRow("French")
        << Language::French << u"ListeMotsAnglais.txt"_s
        << u"Le fichier ListeMots.txt doit se trouver à la racine du répertoire pour que le jeu fonctionne correctement."_s;
    QTest::newRow("English")
        << Language::English << u"ListeMots.txt"_s
        << u"Le fichier ListeMotsAnglais.txt doit se trouver à la racine du répertoire pour que le jeu fonctionne correctement."_s;
}

void TestBoard::missingListShowsTheMessageThenCloses()
{
    QFETCH(Language, language);
    BoardRig rig(language);
    // The other language's list is there: only the chosen one counts.
    QFETCH(QString, otherList);
    rig.writeList(otherList, {u"chat"_s});
    QCOMPARE(rig.model->open(), OpenOutcome::ListMissing);
    QFETCH(QString, text);
    QCOMPARE(rig.model->missingListMessage(), text);
    QCOMPARE(rig.gameExit.calls, 0);
    // The window shows the message, then closes the board.
    rig.model->quit();
    QCOMPARE(rig.playedName(), u"Chimes.wav"_s);
    QCOMPARE(rig.gameExit.calls, 1);
    QVERIFY(rig.model->closed());
    // Nothing of the board runs after the end.
    rig.model->playNextWord();
    QCOMPARE(rig.model->round(), 0);
    QCOMPARE(rig.gameExit.calls, 1);
}

void TestBoard::playingListKeepsOnlyPlayableEntries()
{
    BoardRig rig;
    rig.open({u"chat"_s, QString(), u"abcdefghijklm"_s, u"abcdefghijkl"_s, u" a b "_s, u"x"_s,
              u" \t "_s});
    const Board& model = *rig.model;
    QCOMPARE(model.words().count, 7);
    QCOMPARE(model.playableCount(), 4);
    QCOMPARE(model.playableWords(),
             (QList<QString> {u"chat"_s, u"abcdefghijkl"_s, u"a b"_s, u"x"_s, QString()}));
}

void TestBoard::aTileIsALetterAsAReaderSeesIt_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("tiles");
    QTest::addColumn<QString>("pictureName");

    // A letter that no single character spells: Q with a dot above.
    const QByteArray dottedQ = "q\xCC\x87";
    const QString dottedQTile = u"Q\u0307"_s;
    QTest::newRow("accents stored apart, as a Mac saves them")
        << QByteArray("e\xCC\x81te\xCC\x81") << QStringList {u"É"_s, u"T"_s, u"É"_s}
        << u"E\u0301TE\u0301.gif"_s;
    QTest::newRow("an emoji of two UTF-16 units")
        << QByteArray("\xF0\x9F\x90\x88") << QStringList {u"\U0001F408"_s} << u"\U0001F408.gif"_s;
    QTest::newRow("a flag of two emoji")
        << QByteArray("\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7x")
        << QStringList {u"\U0001F1EB\U0001F1F7"_s, u"X"_s} << u"\U0001F1EB\U0001F1F7X.png"_s;
    QTest::newRow("sharp s becomes two letters in capitals")
        << QByteArray("ma\xC3\x9F") << QStringList {u"M"_s, u"A"_s, u"S"_s, u"S"_s}
        << u"mass.JPG"_s;
    QTest::newRow("twelve letters of two characters")
        << dottedQ.repeated(12) << QStringList(12, dottedQTile) << QString();
    QTest::newRow("thirteen letters of two characters")
        << dottedQ.repeated(13) << QStringList() << QString();
    // Long lines are judged by their first letters.
    QTest::newRow("twelve letters of eleven characters")
        << ("q" + QByteArray("\xCC\x87").repeated(10)).repeated(12)
        << QStringList(12, u"Q"_s + QString(10, QChar(0x0307))) << QString();
    QTest::newRow("a hundred letters") << QByteArray(100, 'a') << QStringList() << QString();
    QTest::newRow("forty emoji after a letter")
        << "x" + QByteArray("\xF0\x9F\x90\x88").repeated(40) << QStringList() << QString();
}

// The words come from a UTF-8 list; the picture is saved under the name given, its accents
// stored as written there.
void TestBoard::aTileIsALetterAsAReaderSeesIt()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, tiles);
    QFETCH(QString, pictureName);
    BoardRig rig;
    rig.writeListBytes(line + "\r\nde\r\nfg\r\n");
    if (!pictureName.isEmpty()) {
        QVERIFY(QDir(rig.directory.path()).mkpath(u"Images/Mots"_s));
        QFile picture(rig.directory.filePath(u"Images/Mots/"_s + pictureName));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        rig.picture.sizes[pictureName] = QSizeF(1500, 1500);
    }
    QCOMPARE(rig.model->open(), OpenOutcome::Ready);
    if (tiles.isEmpty()) {
        QCOMPARE(rig.model->playableWords(), (QList<QString> {u"de"_s, u"fg"_s, QString()}));
        return;
    }

    rig.play();
    QCOMPARE(rig.model->currentWord(), tiles.join(QString()));
    QCOMPARE(rig.model->letters(), tiles);
    QCOMPARE(rig.tileText(), tiles.join(QString()));
    QCOMPARE(rig.model->tiles().size(), tiles.size());
    rig.spell(tiles.join(QString()));
    QCOMPARE(rig.model->placedCount(), tiles.size());
    QCOMPARE(rig.playedName(), u"Tada.wav"_s);
    QCOMPARE(rig.model->picture().visible, !pictureName.isEmpty());
    if (!pictureName.isEmpty())
        QCOMPARE(QFileInfo(rig.picture.loaded.value(0)).fileName(), pictureName);
}

void TestBoard::openingRecordsTheDesignPositions()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    Board& model = *rig.model;
    QCOMPARE(model.firstTileLeft(), design::kFirstTile.left);
    QCOMPARE(model.firstTileTop(), design::kFirstTile.top);
    for (int i = 0; i < Board::kSlotCount; ++i) {
        QCOMPARE(model.slotLefts()[i],
                 design::kFirstSlot.left + design::kSlotPitch * static_cast<float>(i));
        QCOMPARE(model.slotTops()[i], design::kFirstSlot.top);
    }
    // The records keep the design whatever happens to the controls afterwards.
    rig.play();
    rig.placeTile(0);
    QCOMPARE(model.firstTileLeft(), design::kFirstTile.left);
    QCOMPARE(model.firstTileTop(), design::kFirstTile.top);
}

void TestBoard::slotRowSitsInsideItsFrame()
{
    BoardRig rig;
    const Board& model = *rig.model;
    const Control& first = model.answerSlots().front();
    const Control& last = model.answerSlots().back();
    QCOMPARE(first.left - model.slotFrame().left, 120.0F);
    QCOMPARE(model.slotFrame().left + model.slotFrame().width - (last.left + last.width), 120.0F);
    QCOMPARE(first.top - model.slotFrame().top, 120.0F);
    QCOMPARE(model.slotFrame().top + model.slotFrame().height - (first.top + first.height), 120.0F);
    for (int i = 1; i < Board::kSlotCount; ++i)
        QCOMPARE(model.answerSlots()[i].left
                     - (model.answerSlots()[i - 1].left + model.answerSlots()[i - 1].width),
                 105.0F);
    QCOMPARE(model.hint().top, design::kHint.top);
}

void TestBoard::roundLaysOutTheWordAsTiles()
{
    BoardRig rig;
    rig.open({u"éléphant"_s, u"chat"_s, u"lapin"_s});
    rig.play();
    const Board& model = *rig.model;
    QCOMPARE(rig.pause.durations, (std::vector<float> {0.5F}));
    QCOMPARE(rig.sound.played.size(), 2);
    QCOMPARE(rig.playedName(), u"Chimes.wav"_s);
    QCOMPARE(model.round(), 1);
    QCOMPARE(model.currentWord(), u"ÉLÉPHANT"_s);
    QCOMPARE(model.hint().caption, u"éléphant"_s);
    QCOMPARE(rig.draw->highestIndex, 8);
    QCOMPARE(model.tiles().size(), std::size_t {8});
    QCOMPARE(rig.tileText(), u"ÉLÉPHANT"_s);
    for (std::size_t m = 0; m < model.tiles().size(); ++m) {
        const Control& tile = model.tiles()[m];
        QVERIFY(tile.visible);
        QCOMPARE(tile.top, design::kFirstTile.top);
        QCOMPARE(tile.left, design::kFirstTile.left + kTilePitch * static_cast<float>(m));
        QCOMPARE(tile.width, design::kFirstTile.width);
    }
    for (const Control& slot : model.answerSlots()) {
        QVERIFY(!slot.visible);
        QVERIFY(slot.caption.isEmpty());
    }
}

void TestBoard::tilesFollowTheDrawnLetterOrder()
{
    BoardRig rig;
    // Word order positions 0, 0, 0; letter positions 1, 0, 0 give the letter order 2, 1, 3.
    rig.random->values = {0.0F, 0.0F, 0.0F, 0.001F, 0.0F, 0.0F};
    rig.open({u"abc"_s, u"de"_s, u"fg"_s});
    rig.play();
    QCOMPARE(rig.tileText(), u"BAC"_s);
    QCOMPARE(rig.model->letters(), (QList<QString> {u"A"_s, u"B"_s, u"C"_s}));
}

void TestBoard::nextRoundUnloadsThePreviousTiles()
{
    BoardRig rig;
    rig.open({u"papillon"_s, u"ours"_s, u"chat"_s});
    rig.play();
    QCOMPARE(rig.model->tiles().size(), std::size_t {8});
    rig.play();
    QCOMPARE(rig.model->tiles().size(), std::size_t {4});
    QCOMPARE(rig.tileText(), u"OURS"_s);
    QCOMPARE(rig.model->tiles()[3].left, design::kFirstTile.left + 3 * kTilePitch);
}

void TestBoard::endMessage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("French") << Language::French << u"C'EST_FINI__"_s;
    QTest::newRow("English") << Language::English << u"THE_END_____"_s;
}

void TestBoard::endMessage()
{
    QFETCH(Language, language);
    BoardRig rig(language);
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    for (int round = 0; round < 3; ++round)
        rig.play();
    rig.placeTile(0);
    const QString lastHint = rig.model->hint().caption;
    rig.play();
    const Board& model = *rig.model;
    QFETCH(QString, message);
    QCOMPARE(rig.slotText().replace(u' ', u'_'), message);
    for (int i = 0; i < Board::kSlotCount; ++i)
        QCOMPARE(model.answerSlots()[i].visible, i < 10);
    QVERIFY(!model.playEnabled());
    QCOMPARE(model.round(), 3);
    QCOMPARE(model.hint().caption, lastHint);
    QCOMPARE(model.placedCount(), 0);
    // The play button stays dead; the quit button still works.
    rig.play();
    QCOMPARE(rig.pause.durations.size(), std::size_t {4});
    rig.model->quit();
    QCOMPARE(rig.gameExit.calls, 1);
}

void TestBoard::keysChangeNothingAtTheEnd_data()
{
    QTest::addColumn<Key>("key");
    QTest::newRow("a letter of a tile still in the row") << Key::LetterOfATile;
    QTest::newRow("Backspace or Escape") << Key::BackspaceOrEscape;
    QTest::newRow("Enter or Space") << Key::EnterOrSpace;
    QTest::newRow("F1") << Key::F1;
}

// The end message stays whole and silent whatever the keyboard does: a child who cannot see it
// would otherwise spoil it without knowing.
void TestBoard::keysChangeNothingAtTheEnd()
{
    QFETCH(Key, key);
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    for (int round = 0; round < 4; ++round)
        rig.play();
    QVERIFY(rig.model->finished());
    const QString tiles = rig.tileText();
    const auto sounds = rig.sound.played.size();
    const auto said = rig.speech.said.size();
    press(*rig.model, key);
    rig.settle();
    QCOMPARE(rig.slotText(), u"C'EST FINI__"_s);
    QCOMPARE(rig.tileText(), tiles);
    QCOMPARE(rig.sound.played.size(), sounds);
    QCOMPARE(rig.speech.said.size(), said);
    QVERIFY(!rig.model->dropTimer().running && !rig.model->slideTimer().running);
    QCOMPARE(rig.model->round(), 3);
}

void TestBoard::shortListsArePlayedThrough_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::newRow("one word") << QStringList {u"soleil"_s};
    QTest::newRow("two words") << QStringList {u"soleil"_s, u"lune"_s};
    QTest::newRow("one word among unplayable lines")
        << QStringList {QString(), u"soleil"_s, u"anticonstitutionnel"_s};
}

void TestBoard::shortListsArePlayedThrough()
{
    QFETCH(QStringList, list);
    BoardRig rig;
    rig.open(list);
    QSet<QString> seen;
    for (qint16 round = 1; round <= rig.model->playableCount(); ++round) {
        rig.play();
        QCOMPARE(rig.model->round(), round);
        seen.insert(rig.model->hint().caption);
    }
    QCOMPARE(seen.size(), rig.model->playableCount());
    rig.play();
    QVERIFY(!rig.model->playEnabled());
}

void TestBoard::emptyListGoesStraightToTheEnd()
{
    BoardRig rig;
    rig.open({QString(), QString()});
    QCOMPARE(rig.model->playableCount(), 0);
    rig.play();
    QVERIFY(!rig.model->playEnabled());
    QCOMPARE(rig.slotText(), u"C'EST FINI__"_s);
    QVERIFY(!rig.model->tiles()[0].visible);
    // Clicking the message brings back no tile, as there never was a word.
    rig.model->slotClicked(0);
    rig.slideTick();
    QVERIFY(!rig.model->tiles()[0].visible);
    QCOMPARE(rig.model->tiles().size(), std::size_t {1});
}

void TestBoard::secondPressDuringThePauseIsIgnored()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    int nested = 0;
    rig.pause.duringPause = [&] {
        if (nested++ == 0) {
            QVERIFY(rig.model->roundStartPending());
            rig.model->playNextWord();
        }
    };
    rig.play();
    QCOMPARE(rig.model->round(), 1);
    QCOMPARE(rig.model->currentWord(), u"CHAT"_s);
    QCOMPARE(rig.pause.durations.size(), std::size_t {1});
    QVERIFY(!rig.model->roundStartPending());
}

void TestBoard::roundStartStopsTheMovementTimers()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    rig.play();
    rig.model->tileClicked(2);
    rig.slideTick();
    rig.play();
    QVERIFY(!rig.model->dropTimer().running);
    QVERIFY(!rig.model->slideTimer().running);
    QCOMPARE(rig.model->tiles()[0].left, design::kFirstTile.left);
    QCOMPARE(rig.model->placedCount(), 0);
}

void TestBoard::closingDuringThePauseLaysOutNothing()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    rig.play();
    rig.model->tileClicked(0);
    rig.pause.duringPause = [&] { rig.model->quit(); };
    rig.play();
    QCOMPARE(rig.gameExit.calls, 1);
    QCOMPARE(rig.model->round(), 1);
    QCOMPARE(rig.model->currentWord(), u"CHAT"_s);
    QVERIFY(!rig.model->dropTimer().running && !rig.model->slideTimer().running
            && !rig.model->hintTimer().running);
    // A tick that was already on its way does nothing.
    const float left = rig.model->tiles()[0].left;
    rig.slideTick();
    QCOMPARE(rig.model->tiles()[0].left, left);
}

void TestBoard::closingChimesThenEndsOnce()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"chien"_s, u"lapin"_s});
    QStringList steps;
    rig.gameExit.onEnd = [&] { steps << rig.playedName() << u"end"_s; };
    rig.model->quit();
    QCOMPARE(steps, (QStringList {u"Chimes.wav"_s, u"end"_s}));
    rig.model->quit();
    QCOMPARE(rig.gameExit.calls, 1);
}

void TestBoard::tileTravelTickCounts()
{
    BoardRig rig;
    rig.open({u"abcdef"_s, u"de"_s, u"fg"_s});
    rig.play();
    Board& model = *rig.model;

    // The first tile needs five ticks of slideTimer and eleven of dropTimer.
    model.tileClicked(0);
    QCOMPARE(rig.playedName(), u"Camera.wav"_s);
    int timer2Ticks = 0;
    while (model.slideTimer().running) {
        rig.slideTick();
        ++timer2Ticks;
    }
    QCOMPARE(timer2Ticks, 5);
    QCOMPARE(model.placedCount(), 1);
    QVERIFY(!model.tiles()[0].visible);
    QCOMPARE(model.answerSlots()[0].caption, u"A"_s);
    QVERIFY(model.answerSlots()[0].visible);
    int timer1Ticks = 0;
    while (model.dropTimer().running) {
        model.dropTick();
        ++timer1Ticks;
    }
    QCOMPARE(timer1Ticks, 11);

    // Tiles two and three need fewer; from the fourth on, one tick places them.
    const int expected[] = {4, 2, 1, 1, 1};
    for (int m = 1; m < 6; ++m) {
        model.tileClicked(m);
        int ticks = 0;
        while (model.slideTimer().running) {
            rig.slideTick();
            ++ticks;
        }
        QCOMPARE(ticks, expected[m - 1]);
        QCOMPARE(model.placedCount(), m + 1);
    }
    QCOMPARE(rig.slotText(), u"ABCDEF______"_s);
}

void TestBoard::secondTileTakesTheTimers()
{
    BoardRig rig;
    rig.open({u"abc"_s, u"de"_s, u"fg"_s});
    rig.play();
    Board& model = *rig.model;
    model.tileClicked(0);
    model.dropTick();
    rig.slideTick();
    model.tileClicked(2);
    QCOMPARE(model.movingTile(), 2);
    while (model.slideTimer().running) {
        model.dropTick();
        rig.slideTick();
    }
    QCOMPARE(rig.slotText(), u"C___________"_s);
    // The first tile stays where it stopped, shown, and can be sent on again.
    QVERIFY(model.tiles()[0].visible);
    QCOMPARE(model.tiles()[0].left, 1100.0F);
    QCOMPARE(model.tiles()[0].top, 1580.0F);
    rig.placeTile(0);
    QCOMPARE(rig.slotText(), u"CA__________"_s);
}

void TestBoard::rightOrderShowsThePictureOnTheLastLetter()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHA"_s);
    QVERIFY(!rig.model->picture().visible);
    QVERIFY(rig.picture.loaded.isEmpty());
    rig.spell(u"T"_s);
    const Control& picture = rig.model->picture();
    QVERIFY(picture.visible);
    QCOMPARE(picture.left, design::kPicture.left);
    QCOMPARE(picture.top, design::kPicture.top);
    QCOMPARE(picture.width, 2175.0F);
    QCOMPARE(rig.playedName(), u"Tada.wav"_s);
    QCOMPARE(rig.picture.loaded.size(), 1);
}

void TestBoard::wrongOrderShowsNothing()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"TACH"_s);
    QCOMPARE(rig.slotText(), u"TACH________"_s);
    QVERIFY(!rig.model->picture().visible);
    QVERIFY(rig.picture.loaded.isEmpty());
    QCOMPARE(rig.playedName(), u"Camera.wav"_s);
}

void TestBoard::oneLetterWordIsSolvedByOneClick()
{
    BoardRig rig;
    rig.picture.sizes[u"Y.gif"_s] = QSizeF(1500, 1500);
    rig.open({u"y"_s, u"de"_s, u"fg"_s});
    rig.play();
    QCOMPARE(rig.draw->letterOrder, (std::vector<qint16> {0, 1}));
    rig.placeTile(0);
    QVERIFY(rig.model->picture().visible);
    QCOMPARE(rig.model->picture().left, design::kPictureFrame.width / 2 - 750.0F);
}

void TestBoard::pictureFolderFollowsTheLanguage_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::newRow("French") << Language::French << u"chat"_s << u"Images/Mots"_s << u"CHAT.gif"_s;
    QTest::newRow("French accents")
        << Language::French << u"hérisson"_s << u"Images/Mots"_s << u"HÉRISSON.gif"_s;
    QTest::newRow("English") << Language::English << u"cat"_s << u"Images/MotsAnglais"_s
                             << u"CAT.gif"_s;
}

void TestBoard::pictureFolderFollowsTheLanguage()
{
    QFETCH(Language, language);
    QFETCH(QString, word);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    BoardRig rig(language);
    QDir(rig.directory.path()).mkpath(folder);
    QFile picture(rig.directory.filePath(folder + u'/' + file));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.close();
    rig.picture.sizes[file] = QSizeF(1800, 1800);
    rig.open({word, u"xy"_s, u"zw"_s});
    rig.play();
    rig.spell(word.toUpper());
    QCOMPARE(rig.picture.loaded, QStringList {picture.fileName()});
    QVERIFY(rig.model->picture().visible);
}

void TestBoard::missingPictureShowsNothingAndPlayGoesOn()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    QVERIFY(!rig.model->picture().visible);
    QCOMPARE(rig.playedName(), u"Tada.wav"_s);
    rig.play();
    QCOMPARE(rig.model->currentWord(), u"DE"_s);
}

void TestBoard::pictureNeverLeavesItsFolder_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("parent folders") << u"..\\..\\x"_s;
    QTest::newRow("slash") << u"a/b"_s;
    QTest::newRow("backslash root") << u"\\x"_s;
}

void TestBoard::pictureNeverLeavesItsFolder()
{
    QFETCH(QString, word);
    BoardRig rig;
    rig.open({word, u"de"_s, u"fg"_s});
    rig.play();
    QCOMPARE(rig.model->currentWord(), word.toUpper());
    rig.spell(word.toUpper());
    QCOMPARE(rig.model->placedCount(), word.size());
    QVERIFY(rig.picture.loaded.isEmpty());
    QVERIFY(!rig.model->picture().visible);
}

void TestBoard::pictureStaysUntilTheNextSuccess()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.picture.sizes[u"DE.gif"_s] = QSizeF(1500, 1200);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    rig.play();
    QVERIFY(rig.model->picture().visible);
    QCOMPARE(rig.model->picture().width, 2175.0F);
    rig.spell(u"ED"_s);
    QCOMPARE(rig.model->picture().width, 2175.0F);
    rig.model->slotClicked(0);
    rig.model->dropTick();
    rig.slideTick();
    rig.spell(u"DE"_s);
    QCOMPARE(rig.model->picture().width, 1500.0F);
    QCOMPARE(rig.model->picture().top,
             design::kPictureFrame.height / 2 + design::kPictureFrame.top - 600.0F);
}

void TestBoard::pictureFitsItsFrame_data()
{
    QTest::addColumn<QSizeF>("picture");
    QTest::addColumn<QSizeF>("shown");

    const QSizeF frame(design::kPictureFrame.width, design::kPictureFrame.height);
    QTest::newRow("smaller keeps its size") << QSizeF(2175, 1815) << QSizeF(2175, 1815);
    QTest::newRow("the frame's size") << frame << frame;
    QTest::newRow("a 640 x 480 photo") << QSizeF(9600, 7200) << QSizeF(2655, 1991.25);
    QTest::newRow("taller than wide") << QSizeF(4500, 15000) << QSizeF(904.5, 3015);
    QTest::newRow("only too wide") << QSizeF(5310, 300) << QSizeF(2655, 150);
    QTest::newRow("only too high") << QSizeF(150, 6030) << QSizeF(75, 3015);
}

void TestBoard::pictureFitsItsFrame()
{
    QFETCH(QSizeF, picture);
    QFETCH(QSizeF, shown);
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = picture;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    const Control& placed = rig.model->picture();
    QVERIFY(placed.visible);
    QCOMPARE(placed.width, static_cast<float>(shown.width()));
    QCOMPARE(placed.height, static_cast<float>(shown.height()));
    const design::TwipsRect& frame = design::kPictureFrame;
    QCOMPARE(placed.left, frame.width / 2 - placed.width / 2);
    QCOMPARE(placed.top, frame.height / 2 + frame.top - placed.height / 2);
}

void TestBoard::resetAfterSomeLetters()
{
    BoardRig rig;
    rig.open({u"abcde"_s, u"de"_s, u"fg"_s});
    rig.random->values = {};
    rig.play();
    rig.spell(u"ACE"_s);
    rig.model->slotClicked(1);
    QCOMPARE(rig.playedName(), u"Cashreg.wav"_s);
    QVERIFY(rig.model->resetting());
    rig.model->dropTick();
    rig.slideTick();
    const Board& model = *rig.model;
    QVERIFY(!model.resetting());
    QVERIFY(!model.dropTimer().running && !model.slideTimer().running);
    QCOMPARE(model.placedCount(), 0);
    QCOMPARE(rig.tileText(), u"ABCDE"_s);
    for (std::size_t m = 0; m < model.tiles().size(); ++m) {
        QVERIFY(model.tiles()[m].visible);
        QCOMPARE(model.tiles()[m].left,
                 design::kFirstTile.left + kTilePitch * static_cast<float>(m));
        QCOMPARE(model.tiles()[m].top, design::kFirstTile.top);
    }
    for (const Control& slot : model.answerSlots())
        QVERIFY(!slot.visible && slot.caption.isEmpty());
}

void TestBoard::resetDuringATravel()
{
    BoardRig rig;
    rig.open({u"abc"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.model->tileClicked(1);
    rig.model->dropTick();
    rig.slideTick();
    rig.model->slotClicked(0); // hidden: nothing to click yet
    QVERIFY(!rig.model->resetting());
    rig.spell(u"A"_s);
    rig.model->tileClicked(1);
    rig.slideTick();
    rig.model->slotClicked(0);
    rig.model->dropTick();
    rig.slideTick();
    QCOMPARE(rig.model->tiles()[1].left, design::kFirstTile.left + kTilePitch);
    QCOMPARE(rig.model->tiles()[1].top, design::kFirstTile.top);
    QCOMPARE(rig.slotText(), u"____________"_s);
    // The next click starts an ordinary travel.
    rig.spell(u"ABC"_s);
    QCOMPARE(rig.slotText(), u"ABC_________"_s);
}

void TestBoard::resetAfterSuccessKeepsThePicture()
{
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"CHAT"_s);
    rig.model->slotClicked(3);
    rig.model->dropTick();
    rig.slideTick();
    QVERIFY(rig.model->picture().visible);
    rig.spell(u"CHAT"_s);
    QCOMPARE(rig.picture.loaded.size(), 2);
}

void TestBoard::resetOnTheEndMessage()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    for (int round = 0; round < 4; ++round)
        rig.play();
    rig.model->slotClicked(4);
    rig.model->dropTick();
    rig.slideTick();
    QCOMPARE(rig.slotText(), u"____________"_s);
    for (const Control& slot : rig.model->answerSlots())
        QVERIFY(!slot.visible);
    QCOMPARE(rig.tileText(), u"FG"_s);
    QVERIFY(!rig.model->playEnabled());
    // The last word's tiles can still be placed.
    rig.spell(u"GF"_s);
    QCOMPARE(rig.slotText(), u"GF__________"_s);
}

void TestBoard::resetOfAOneLetterWord()
{
    BoardRig rig;
    rig.open({u"y"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.placeTile(0);
    rig.model->slotClicked(0);
    rig.slideTick();
    QCOMPARE(rig.model->tiles().size(), std::size_t {1});
    QVERIFY(rig.model->tiles()[0].visible);
    QCOMPARE(rig.model->tiles()[0].left, design::kFirstTile.left);
    QCOMPARE(rig.model->tiles()[0].top, design::kFirstTile.top);
    QCOMPARE(rig.model->tiles()[0].caption, u"Y"_s);
}

void TestBoard::resetEmptiesTheSlotsWhicheverTimerTicksFirst_data()
{
    QTest::addColumn<bool>("timer1First");
    QTest::newRow("dropTimer first") << true;
    QTest::newRow("slideTimer first") << false;
}

void TestBoard::resetEmptiesTheSlotsWhicheverTimerTicksFirst()
{
    QFETCH(bool, timer1First);
    BoardRig rig;
    rig.picture.sizes[u"CHAT.gif"_s] = QSizeF(2175, 1815);
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.play();
    rig.spell(u"TAHC"_s);
    rig.model->slotClicked(0);
    if (timer1First)
        rig.model->dropTick();
    rig.slideTick();
    rig.model->dropTick(); // stopped by the reset: does nothing
    QCOMPARE(rig.slotText(), u"____________"_s);
    // With the old letters gone, the right spelling is accepted.
    rig.spell(u"CHAT"_s);
    QVERIFY(rig.model->picture().visible);
}

void TestBoard::typedLettersTakeTheirTiles_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("placed");
    QTest::newRow("either case") << u"chat"_s << u"cHAt"_s << u"CHAT"_s;
    QTest::newRow("no accent typed") << u"bébé"_s << u"bebe"_s << u"BÉBÉ"_s;
    QTest::newRow("cedilla and ligatures") << u"çæœ"_s << u"cao"_s << u"ÇÆŒ"_s;
    QTest::newRow("accent typed on a plain tile") << u"chat"_s << u"çhât"_s << u"CHAT"_s;
    QTest::newRow("plain letters take the accents the word needs")
        << u"zèbre"_s << u"zebre"_s << u"ZÈBRE"_s;
    QTest::newRow("a typed accent is kept") << u"élève"_s << u"èe"_s << u"ÈE"_s;
    QTest::newRow("accent composed by the keyboard") << u"élève"_s << u"e\u0300"_s << u"È"_s;
    QTest::newRow("letters no tile shows") << u"chat"_s << u"xcch?at"_s << u"CHAT"_s;
}

// The letters are typed at once, faster than any tile travels: each waits for the one before it.
void TestBoard::typedLettersTakeTheirTiles()
{
    QFETCH(QString, word);
    QFETCH(QString, typed);
    QFETCH(QString, placed);
    BoardRig rig;
    // Written in UTF-8, as Windows-1252 has no Æ.
    rig.writeListBytes((word + u"\r\nde\r\n"_s).toUtf8());
    QCOMPARE(rig.model->open(), OpenOutcome::Ready);
    rig.play();
    rig.model->lettersTyped(typed);
    rig.settle();
    QCOMPARE(rig.slotText(), placed.leftJustified(Board::kSlotCount, u'_'));
}

void TestBoard::aScreenReaderHearsTheRowAndTheLettersThatFindNoTile_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("settled");
    QTest::addColumn<QStringList>("announced");
    QTest::addColumn<QString>("row");
    const auto french = Language::French;
    const QStringList none;
    const QStringList notInWord {u"pas dans le mot"_s};
    QTest::newRow("the word laid out")
        << french << QString() << true << none << u"tuiles : C, H, A, T"_s;
    QTest::newRow("a letter leaves the row")
        << french << u"c"_s << true << none << u"tuiles : H, A, T"_s;
    QTest::newRow("a tile on its way has left the row")
        << french << u"h"_s << false << none << u"tuiles : C, A, T"_s;
    QTest::newRow("a letter not in the word")
        << french << u"x"_s << true << notInWord << u"tuiles : C, H, A, T"_s;
    QTest::newRow("a letter whose tile has gone")
        << french << u"cc"_s << true << notInWord << u"tuiles : H, A, T"_s;
    QTest::newRow("letters waiting their turn are told in it")
        << french << u"x2ch"_s << false << QStringList {u"pas dans le mot"_s, u"pas dans le mot"_s}
        << u"tuiles : H, A, T"_s;
    QTest::newRow("a letter told once the tile before it has left")
        << french << u"cq"_s << false << notInWord << u"tuiles : H, A, T"_s;
    QTest::newRow("the word spelled leaves no row")
        << french << u"chat"_s << true << QStringList {u"Bravo ! chat"_s} << QString();
    QTest::newRow("in English") << Language::English << u"zh"_s << true
                                << QStringList {u"not in the word"_s} << u"tiles: C, A, T"_s;
}

// What a child who cannot see the board hears of it: the tiles still in the row, in one line, and a
// word for a letter typed that no tile answers to, told when its turn comes.
void TestBoard::aScreenReaderHearsTheRowAndTheLettersThatFindNoTile()
{
    QFETCH(Language, language);
    QFETCH(QString, typed);
    QFETCH(bool, settled);
    QFETCH(QStringList, announced);
    QFETCH(QString, row);
    BoardRig rig(language);
    QCOMPARE(rig.model->tilesLine(), QString());
    rig.open({u"chat"_s, u"de"_s});
    rig.play();
    QStringList heard;
    unsigned count = rig.model->announcement().count;
    const auto listen = [&rig, &heard, &count] {
        for (; count < rig.model->announcement().count; ++count)
            heard.append(rig.model->announcement().text);
    };
    for (const QString& letter : lettersOf(typed)) {
        rig.model->lettersTyped(letter);
        listen();
        if (settled) {
            rig.settle();
            listen();
        }
    }
    if (!settled) {
        QCOMPARE(rig.model->tilesLine(), row);
        rig.settle();
        listen();
    }
    QCOMPARE(heard, announced);
    if (settled)
        QCOMPARE(rig.model->tilesLine(), row);
}

void TestBoard::waitingLettersBelongToTheirWord()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s});
    rig.play();
    Board& model = *rig.model;
    model.lettersTyped(u"c"_s);
    rig.settle();
    // While H travels, A waits; starting again forgets it, and T, typed while the row comes back,
    // waits for the row.
    model.lettersTyped(u"ha"_s);
    rig.slideTick();
    model.startWordAgain();
    model.lettersTyped(u"t"_s);
    rig.settle();
    QCOMPARE(rig.slotText(), u"T___________"_s);
    // Letters still waiting when the next word comes are forgotten with the word.
    model.lettersTyped(u"cd"_s);
    rig.play();
    model.lettersTyped(u"e"_s);
    rig.settle();
    QCOMPARE(rig.slotText(), u"E___________"_s);
}

void TestBoard::keysAndClicksLeaveInTheOrderAsked_data()
{
    // Typed letters, clicked tile numbers and ticks of both timers (dots). TIGRE lies in word
    // order; T, tile 0, lands on the fifth tick.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("placed");
    for (const QString& wait : {u""_s, u"."_s, u"..."_s, u"...."_s}) {
        const auto ticks = static_cast<int>(wait.size());
        QTest::addRow("key then click %d ticks later", ticks) << u"t"_s + wait + u"3"_s << u"TR"_s;
        QTest::addRow("click then key %d ticks later", ticks) << u"0"_s + wait + u"r"_s << u"TR"_s;
    }
    QTest::newRow("click while typed letters wait") << u"ti3"_s << u"TIR"_s;
    QTest::newRow("click behind a letter waiting for a clicked tile") << u"0i3"_s << u"TIR"_s;
    QTest::newRow("a tile that waited keeps its travel") << u"r0...2"_s << u"RTG"_s;
    QTest::newRow("click on the tile a waiting letter takes") << u"ti1"_s << u"TI"_s;
}

void TestBoard::keysAndClicksLeaveInTheOrderAsked()
{
    QFETCH(QString, steps);
    QFETCH(QString, placed);
    BoardRig rig;
    rig.open({u"tigre"_s, u"de"_s});
    rig.play();
    Board& model = *rig.model;
    for (const QChar step : steps) {
        if (step == u'.') {
            model.dropTick();
            rig.slideTick();
        } else if (step.isDigit()) {
            model.tileClicked(step.digitValue());
        } else {
            model.lettersTyped(step);
        }
    }
    rig.settle();
    QCOMPARE(rig.slotText(), placed.leftJustified(Board::kSlotCount, u'_'));
    // Every tile not placed stands in the row where the round put it.
    for (std::size_t m = 0; m < model.tiles().size(); ++m) {
        const Control& tile = model.tiles()[m];
        QCOMPARE(tile.visible, !placed.contains(tile.caption));
        if (tile.visible)
            QCOMPARE(QPointF(tile.left, tile.top),
                     QPointF(model.firstTileLeft() + kTilePitch * static_cast<float>(m),
                             model.firstTileTop()));
    }
}

void TestBoard::difficultLevel()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    Board& model = *rig.model;
    model.difficultBoxChanged(Qt::Checked);
    QVERIFY(model.difficult());
    QVERIFY(!model.hintTimer().running);
    rig.play();
    QVERIFY(model.hintTimer().running);
    QCOMPARE(model.hint().caption, u"chat"_s);
    model.hideHint();
    QVERIFY(model.hint().caption.isEmpty());
    QVERIFY(!model.hintTimer().running);

    // Unticked during a round: the running timer still empties this hint; the next one stays.
    rig.play();
    model.difficultBoxChanged(Qt::Unchecked);
    QVERIFY(model.hintTimer().running);
    model.hideHint();
    QVERIFY(model.hint().caption.isEmpty());
    rig.play();
    QVERIFY(!model.hintTimer().running);
    QCOMPARE(model.hint().caption, u"fg"_s);

    // Ticked during a round: this hint stays; the greyed state changes nothing.
    model.difficultBoxChanged(Qt::Checked);
    QVERIFY(!model.hintTimer().running);
    model.difficultBoxChanged(Qt::PartiallyChecked);
    QVERIFY(model.difficult());
}

void TestBoard::hintTimerOutlivesTheEndMessage()
{
    BoardRig rig;
    rig.open({u"chat"_s, u"de"_s, u"fg"_s});
    rig.model->difficultBoxChanged(Qt::Checked);
    for (int round = 0; round < 3; ++round)
        rig.play();
    const unsigned started = rig.model->hintTimer().started;
    rig.play();
    QVERIFY(!rig.model->playEnabled());
    QVERIFY(rig.model->hintTimer().running);
    QCOMPARE(rig.model->hintTimer().started, started);
    rig.model->hideHint();
    QVERIFY(rig.model->hint().caption.isEmpty());
}

// Thousands of random clicks, keys and ticks, some of them inside the play button's pause; after
// every event the round invariants must hold.
void TestBoard::randomPlayKeepsTheRoundInvariants()
{
    std::mt19937 random(20261208);
    const QStringList list {u"éléphant"_s, u"chat"_s,     u"y"_s,     u"abcdefghijkl"_s,
                            u"ours"_s,     u"papillon"_s, u" a b "_s, u"fraise"_s};
    const QString keys = u"aeéhlpx ysc"_s;
    for (int game = 0; game < 40; ++game) {
        BoardRig rig(game % 2 == 0 ? Language::French : Language::English);
        rig.random->values.clear();
        rig.writeList(list);
        Board& model = *rig.model;
        model.open();
        // Fresh randomness for the draws of this game.
        std::uniform_real_distribution<float> unit(0.0F, 0.999F);
        for (int i = 0; i < 400; ++i)
            rig.random->values.push_back(unit(random));

        auto randomEvent = [&](auto& self, int depth) -> void {
            const int kind = static_cast<int>(random() % 10);
            switch (kind) {
            case 0:
                if (random() % 6 == 0)
                    model.playNextWord();
                break;
            case 1:
                model.tileClicked(static_cast<int>(random() % 14) - 1);
                break;
            case 2:
                if (random() % 4 == 0)
                    model.slotClicked(static_cast<int>(random() % 12));
                break;
            case 3:
                model.difficultBoxChanged(static_cast<Qt::CheckState>(random() % 3));
                break;
            case 4:
                model.dropTick();
                break;
            case 5:
            case 6:
                rig.slideTick();
                break;
            case 7:
                model.lettersTyped(keys.mid(static_cast<qsizetype>(random() % keys.size()), 3));
                break;
            case 8:
                if (random() % 4 == 0)
                    model.startWordAgain();
                break;
            default:
                model.hideHint();
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
            if (model.round() < 1)
                continue;
            const qint16 number = rig.draw->wordOrder[model.round() - 1];
            const QString word = model.playableWords()[number - 1].toUpper();
            QCOMPARE(model.currentWord(), word);
            QCOMPARE(rig.draw->highestIndex, word.size());
            QVERIFY(model.tiles().size() == static_cast<std::size_t>(word.size())
                    || word.isEmpty());
            QVERIFY(model.placedCount() >= 0 && model.placedCount() <= word.size());
            // The slots hold the letters placed so far, every one a letter of the word.
            std::multiset<QString> letters(model.letters().begin(), model.letters().end());
            if (model.playEnabled() && !model.resetting()) {
                for (int i = 0; i < model.placedCount(); ++i) {
                    const auto found = letters.find(model.answerSlots()[i].caption);
                    QVERIFY2(found != letters.end(), qPrintable(model.answerSlots()[i].caption));
                    letters.erase(found);
                }
            }
        }
        QVERIFY(model.round() <= model.playableCount());
    }
}

QTEST_GUILESS_MAIN(TestBoard)
#include "tst_board.moc"
