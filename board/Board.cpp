#include "board/Board.h"
#include "board/WordVoice.h"

#include "gamedata/Pictures.h"
#include "platform/files/DataPaths.h"
#include "platform/process/GameExit.h"
#include "platform/process/Pause.h"
#include "words/Letters.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace trouvimo {

namespace {

constexpr float kPauseBeforeRound = 0.5F;
constexpr int kEndMessageSlots = 10;

Control designed(const design::TwipsRect& rect, bool visible = true, const QString& caption = {})
{
    return Control {rect.left, rect.top, rect.width, rect.height, visible, caption};
}

// A letter as a keyboard without accents types it: case folded, its marks dropped, and the two
// ligatures of French taken for their first letter.
QString plainLetter(const QString& letter)
{
    QString plain = letter.normalized(QString::NormalizationForm_D).toCaseFolded();
    plain.removeIf([](QChar c) { return c.isMark(); });
    return plain.replace(u'œ', u'o').replace(u'æ', u'a');
}

} // namespace

Board::Board(BoardServices services, Language language, const ComputerSettings& settings)
    : m_services(services)
    , m_language(languageData(language))
    , m_sayWords(settings.sayWords)
    , m_title(m_language.boardTitle)
    , m_hint(designed(design::kHint))
    , m_slotFrame(designed(design::kSlotFrame))
    , m_pictureFrame(designed(design::kPictureFrame))
    , m_picture(designed(design::kPicture))
    , m_difficultBox(designed(design::kDifficultBox, true, m_language.difficultCaption))
    , m_voiceBox(designed(design::kVoiceBox, settings.sayWords, m_language.voiceCaption))
    , m_speakerButton(designed(design::kSpeakerButton, false, m_language.sayAgainName))
    , m_playButton(designed(design::kPlayButton, true, m_language.playCaption))
    , m_quitButton(designed(design::kQuitButton, true, m_language.quitCaption))
{
    m_tiles.push_back(designed(design::kFirstTile, false));
    for (int i = 0; i < kSlotCount; ++i) {
        m_answerSlots[i] = designed(design::kFirstSlot, false);
        m_answerSlots[i].left += design::kSlotPitch * static_cast<float>(i);
    }
    // A computer where words are never said has neither a voice box to turn them on nor a
    // speaker button.
    if (!settings.sayWords)
        m_voiceBoxState = Qt::Unchecked;
    if (settings.difficultAtStart)
        m_difficultBoxState = Qt::Checked;
}

void Board::playCue(Cue cue)
{
    // Nothing is said over a cue: the cue cuts off the word.
    m_services.voice.stop();
    trouvimo::playCue(cue, m_services.paths, m_services.sound);
}

void Board::sayWord()
{
    if (m_voiceBoxState == Qt::Checked)
        m_services.voice.say(m_currentWord, m_language);
}

void Board::announce(const QString& text)
{
    m_announcement.text = text;
    ++m_announcement.count;
}

void Board::sayWordAgain()
{
    if (m_closed || !m_speakerButton.visible || m_roundStartPending)
        return;
    sayWord();
}

void Board::voiceBoxChanged(Qt::CheckState state)
{
    if (m_closed || !m_sayWords)
        return;
    m_voiceBoxState = state;
    if (state != Qt::Checked)
        m_services.voice.stop();
}

OpenOutcome Board::open()
{
    if (m_closed)
        return OpenOutcome::Ready;
    m_picture.visible = false;
    playCue(Cue::BoardOpens);
    m_difficult = m_difficultBoxState == Qt::Checked;

    const auto file = m_services.paths.resolve(m_services.paths.join(m_language.listFile));
    if ((file ? readWordList(*file, m_words) : ListStatus::Missing) == ListStatus::Missing)
        return OpenOutcome::ListMissing;

    buildPlayingList();
    m_resetting = false;
    m_movingTile = 0;
    m_firstTileLeft = m_tiles[0].left;
    m_firstTileTop = m_tiles[0].top;
    for (int i = 0; i < kSlotCount; ++i) {
        m_slotTops[i] = m_answerSlots[i].top;
        m_slotLefts[i] = m_answerSlots[i].left;
    }
    // Any list with a word to play gets its order, even one or two words; with none at all the
    // play button goes straight to the end message.
    if (m_playableCount >= 1)
        m_services.draw.drawWordOrder(m_playableCount);
    return OpenOutcome::Ready;
}

QString Board::missingListMessage() const
{
    return u"Le fichier %1 doit se trouver à la racine du répertoire pour que le jeu fonctionne "
           u"correctement."_s.arg(m_language.listName);
}

bool Board::isPlayable(const QString& entry)
{
    // Counted as the tiles will show it: in capitals, where "ß" becomes two letters.
    const qsizetype letters = letterCount(entry.toUpper(), kMaxLetters + 1);
    return letters >= 1 && letters <= kMaxLetters;
}

void Board::buildPlayingList()
{
    // A line of no letters has nothing for the first tile and one of more than twelve letters
    // has no slot for its thirteenth, so neither is played.
    m_playableWords.clear();
    for (int k = 1; k <= m_words.count && m_playableWords.size() < kMaxWords; ++k) {
        const QString& word = m_words.entries[k];
        if (isPlayable(word))
            m_playableWords.append(word);
    }
    m_playableCount = static_cast<qint16>(m_playableWords.size());
    m_playableWords.append(QString());
}

void Board::quit()
{
    if (m_closed)
        return;
    m_closed = true;
    m_dropTimer.stop();
    m_slideTimer.stop();
    m_hintTimer.stop();
    playCue(Cue::Goodbye);
    m_services.exit.exitGame();
}

void Board::playNextWord()
{
    // A second press while the first one waits would start a round of its own that the first
    // press then replaces at once, skipping a word: a child's double click must not do that.
    if (m_closed || !m_playEnabled || m_roundStartPending)
        return;

    playCue(Cue::NextWord);
    m_roundStartPending = true;
    m_services.pause.pause(kPauseBeforeRound);
    m_roundStartPending = false;
    if (m_closed)
        return;

    m_resetting = false;
    ++m_round;
    m_movingTile = 0;
    m_placedCount = 0;
    // A tile still travelling from the previous word must not carry the new word's first tile
    // away without a click, and tiles still waiting from that word must not spell the new one.
    m_dropTimer.stop();
    m_slideTimer.stop();
    m_waitingTiles.clear();
    for (int i = 0; i < kSlotCount; ++i) {
        m_answerSlots[i].caption.clear();
        m_answerSlots[i].visible = false;
        m_answerSlots[i].top = m_slotTops[i];
        m_answerSlots[i].left = m_slotLefts[i];
    }

    if (m_round > m_playableCount) {
        showEndMessage();
        return;
    }

    m_tiles[0].top = design::kFirstTile.top;
    m_currentWord = m_playableWords[m_services.draw.wordOrder[m_round - 1] - 1].toUpper();
    m_hint.caption = m_currentWord.toLower();
    if (m_difficult)
        m_hintTimer.start();

    m_letters = lettersOf(m_currentWord);
    m_services.draw.drawLetterOrder(static_cast<qint16>(m_letters.size()));

    removeTilesAfterFirst();
    m_tiles[0].caption = m_letters[m_services.draw.letterOrder[1] - 1];
    m_tiles[0].left = m_firstTileLeft;
    m_tiles[0].visible = true;
    layOutTileRow(static_cast<int>(m_letters.size()));
    m_speakerButton.visible = m_sayWords;
    announce(m_hint.caption);
    sayWord();
}

void Board::showEndMessage()
{
    m_round = m_playableCount;
    m_playEnabled = false;
    m_speakerButton.visible = false;
    for (int j = 0; j < kEndMessageSlots; ++j)
        m_answerSlots[j].visible = true;
    const QString& message = m_language.endMessage;
    for (int j = 0; j < message.size(); ++j)
        m_answerSlots[j].caption = message[j];
    announce(message);
}

void Board::removeTilesAfterFirst()
{
    m_tiles.resize(1);
}

// Tiles 1 onward follow tile 0 in the drawn letter order, each a small gap after its left
// neighbour, at the row's height.
void Board::layOutTileRow(int length)
{
    const auto& order = m_services.draw.letterOrder;
    for (int m = 1; m < length; ++m) {
        const Control& left = m_tiles[m - 1];
        Control tile = m_tiles[0];
        tile.top = m_firstTileTop;
        tile.left = left.width + left.left + design::kTileGap;
        tile.visible = true;
        tile.caption = m_letters[order[m + 1] - 1];
        m_tiles.push_back(tile);
    }
}

bool Board::validTile(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_tiles.size();
}

void Board::tileClicked(int index)
{
    if (m_closed || !validTile(index) || !m_tiles[index].visible)
        return;
    if (!m_waitingTiles.empty() || (m_travelInTurn && m_slideTimer.running)) {
        m_waitingTiles.push_back({index, {}});
        return;
    }
    sendTile(index, false);
}

void Board::sendTile(int index, bool inTurn)
{
    playCue(Cue::TileChosen);
    m_movingTile = static_cast<qint16>(index);
    m_travelInTurn = inTurn;
    m_dropTimer.start();
    m_slideTimer.start();
}

void Board::dropTick()
{
    if (m_closed || !m_dropTimer.running)
        return;
    if (m_resetting) {
        for (Control& slot : m_answerSlots)
            slot.caption.clear();
        return;
    }
    if (!validTile(m_movingTile)) {
        m_dropTimer.stop();
        return;
    }
    Control& tile = m_tiles[m_movingTile];
    tile.top += design::kTileStep;
    if (tile.top >= m_slotFrame.top)
        m_dropTimer.stop();
}

std::optional<SolvedWord> Board::slideTick()
{
    if (m_closed || !m_slideTimer.running)
        return std::nullopt;
    if (m_resetting) {
        resetSlotsAndRow();
        sendWaitingTiles();
        return std::nullopt;
    }
    if (!validTile(m_movingTile)) {
        m_slideTimer.stop();
        return std::nullopt;
    }
    Control& tile = m_tiles[m_movingTile];
    tile.left += design::kTileStep;
    if (tile.left < m_slotFrame.left)
        return std::nullopt;
    placeMovingTile();
    std::optional<SolvedWord> solved = checkAnswer();
    sendWaitingTiles();
    return solved;
}

void Board::placeMovingTile()
{
    Control& tile = m_tiles[m_movingTile];
    m_slideTimer.stop();
    // Every placement hides a distinct tile of a word of at most twelve letters, so the slots
    // cannot run out; the guard only keeps a broken sequence from writing past them.
    if (m_placedCount >= kSlotCount)
        return;
    ++m_placedCount;
    tile.visible = false;
    m_answerSlots[m_placedCount - 1].caption = tile.caption;
    m_answerSlots[m_placedCount - 1].visible = true;
}

std::optional<SolvedWord> Board::checkAnswer()
{
    // A letter may take more than one character, so the answer is cut after the word's number
    // of slots rather than of characters.
    QString answer;
    const int length = std::clamp<int>(m_services.draw.highestIndex, 0, kSlotCount);
    for (int i = 0; i < length; ++i)
        answer += m_answerSlots[i].caption;
    if (m_round < 1 || m_round > m_playableCount)
        return std::nullopt;
    const QString word = m_playableWords[m_services.draw.wordOrder[m_round - 1] - 1].toUpper();
    if (answer != word)
        return std::nullopt;
    m_picture.visible = false;
    // A word of the list that spells a way out of the picture folder never gets opened.
    return SolvedWord {findPicture(m_services.paths, m_language, answer)};
}

void Board::showPicture(std::optional<QSizeF> size)
{
    if (m_closed)
        return;
    if (size) {
        const QSizeF shown =
            fittedPictureSize(*size, QSizeF(m_pictureFrame.width, m_pictureFrame.height));
        m_picture.width = static_cast<float>(shown.width());
        m_picture.height = static_cast<float>(shown.height());
        m_picture.left = m_pictureFrame.width / 2 - m_picture.width / 2;
        m_picture.top = m_pictureFrame.height / 2 + m_pictureFrame.top - m_picture.height / 2;
        m_picture.visible = true;
    }
    playCue(Cue::Solved);
    announce(m_language.solvedAnnouncement.arg(m_currentWord.toLower()));
    // Once the fanfare is over.
    sayWord();
}

void Board::slotClicked(int index)
{
    if (m_closed || index < 0 || index >= kSlotCount || !m_answerSlots[index].visible)
        return;
    playCue(Cue::Reset);
    m_resetting = true;
    // The reset takes the timers: no tile travels any more for a click to wait behind.
    m_travelInTurn = false;
    m_dropTimer.start();
    m_slideTimer.start();
}

void Board::lettersTyped(const QString& text)
{
    if (m_closed || finished())
        return;
    for (const QString& letter : lettersOf(text))
        m_waitingTiles.push_back({-1, letter});
    sendWaitingTiles();
}

// A waiting tile leaves only once no tile travels and the row is whole: sent earlier, it would
// take the timers from the travelling tile and leave that one standing half way. A tile that an
// earlier request has taken meanwhile is no longer in the row, and its request lapses.
void Board::sendWaitingTiles()
{
    while (!m_slideTimer.running && !m_waitingTiles.empty()) {
        const TileRequest request = m_waitingTiles.front();
        m_waitingTiles.pop_front();
        const int index = request.letter.isEmpty() ? request.tile : tileShowing(request.letter);
        if (validTile(index) && m_tiles[index].visible)
            sendTile(index, true);
        else if (!request.letter.isEmpty())
            // The keyboard's letter is echoed by a screen reader but leaves no tile: without a
            // word the child who cannot see the row would not know the key did nothing.
            announce(m_language.notInWordAnnouncement);
    }
}

QString Board::tilesLine() const
{
    if (m_round < 1 || finished())
        return {};
    QStringList letters;
    for (std::size_t m = 0; m < m_tiles.size(); ++m) {
        const bool travelling =
            m_slideTimer.running && !m_resetting && static_cast<std::size_t>(m_movingTile) == m;
        if (m_tiles[m].visible && !travelling)
            letters.append(m_tiles[m].caption);
    }
    if (letters.isEmpty())
        return {};
    return m_language.tilesLine.arg(letters.join(u", "_s));
}

// The leftmost tile that shows the letter, or -1; the tiles are numbered from the left of the row.
// A letter typed with its accent, or on a keyboard that has it, takes the tile that shows it so;
// only when no tile does may a tile that differs from it by its accents alone answer to it. A
// letter typed without an accent first takes the accented letter the word needs next: a keyboard
// without accents could otherwise never spell "zèbre", its E always taken before its È.
int Board::tileShowing(const QString& letter) const
{
    const auto leftmost = [this](auto&& same) {
        for (std::size_t m = 0; m < m_tiles.size(); ++m) {
            if (m_tiles[m].visible && same(m_tiles[m].caption))
                return static_cast<int>(m);
        }
        return -1;
    };
    // The captions are composed already, as the list reader composes every word; a keyboard may
    // send an accent apart from its letter.
    const auto showing = [&leftmost](const QString& wanted) {
        const QString composed = wanted.normalized(QString::NormalizationForm_C);
        return leftmost([&composed](const QString& caption) {
            return caption.compare(composed, Qt::CaseInsensitive) == 0;
        });
    };
    const QString plain = plainLetter(letter);
    if (plain.isEmpty())
        return -1;
    const bool typedPlain = plain == letter.normalized(QString::NormalizationForm_C).toCaseFolded();
    if (typedPlain && m_placedCount >= 0 && m_placedCount < m_letters.size()) {
        const QString& needed = m_letters[m_placedCount];
        if (plainLetter(needed) == plain) {
            if (const int tile = showing(needed); tile >= 0)
                return tile;
        }
    }
    if (const int exact = showing(letter); exact >= 0)
        return exact;
    return leftmost([&plain](const QString& caption) { return plainLetter(caption) == plain; });
}

void Board::startWordAgain()
{
    if (m_closed || finished())
        return;
    m_waitingTiles.clear();
    // The slots fill from the first, so the first shows whenever any does.
    slotClicked(0);
}

// The reset puts every tile of the word back in the row of the round start, in the same
// letter order, and empties the slots. The slots are emptied here too, not only on the other
// timer's ticks, because that timer may not have ticked yet: old letters left in a hidden slot
// would spoil the next answer.
void Board::resetSlotsAndRow()
{
    for (Control& slot : m_answerSlots)
        slot.caption.clear();

    removeTilesAfterFirst();
    const int length =
        std::min<int>(m_services.draw.highestIndex, static_cast<int>(m_letters.size()));
    m_tiles[0].top = m_firstTileTop;
    m_tiles[0].left = m_firstTileLeft;
    // Before any word was laid out there is no letter to show on the first tile.
    m_tiles[0].visible = length >= 1;
    layOutTileRow(length);

    for (Control& slot : m_answerSlots)
        slot.visible = false;
    m_placedCount = 0;
    m_slideTimer.stop();
    m_dropTimer.stop();
    m_resetting = false;
}

void Board::hideHint()
{
    if (m_closed || !m_hintTimer.running)
        return;
    m_hint.caption.clear();
    m_hintTimer.stop();
}

void Board::difficultBoxChanged(Qt::CheckState state)
{
    if (m_closed)
        return;
    m_difficultBoxState = state;
    if (state == Qt::Unchecked)
        m_difficult = false;
    else if (state == Qt::Checked)
        m_difficult = true;
}

} // namespace trouvimo
