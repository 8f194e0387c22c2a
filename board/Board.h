#pragma once

#include "board/BoardDesign.h"
#include "gamedata/GameData.h"
#include "settings/ComputerSettings.h"
#include "words/Draw.h"
#include "words/WordList.h"

#include <QList>
#include <QSizeF>
#include <QString>

#include <array>
#include <deque>
#include <optional>
#include <vector>

namespace trouvimo {

class DataPaths;
class GameExit;
class Pause;
class SoundPlayer;
class WordVoice;

// A control of the board as plain data: where it is (twips, single precision, as the window
// designs store positions), whether it shows, and its caption.
struct Control {
    float left = 0.0F;
    float top = 0.0F;
    float width = 0.0F;
    float height = 0.0F;
    bool visible = false;
    QString caption;
};

// A window timer: whether it runs, and how many times it was asked to run. The window restarts
// its real timer whenever `started` changes, so a round that re-arms the hint timer gives the
// new hint its full four seconds.
struct TimerState {
    bool running = false;
    unsigned started = 0;

    void start()
    {
        running = true;
        ++started;
    }
    void stop() { running = false; }
};

// What a screen reader is told, away from the keyboard's focus: the word laid out, the word
// spelled, the end of the list. The window tells it each time `count` grows, so that a message
// told twice is heard twice.
struct Announcement {
    QString text;
    unsigned count = 0;
};

// The platform services the board's rules use, handed to the board by whoever builds it.
struct BoardServices {
    const DataPaths& paths;
    SoundPlayer& sound;
    Pause& pause;
    GameExit& exit;
    Draw& draw;
    WordVoice& voice;
};

// How opening the board went.
enum class OpenOutcome {
    Ready,
    // The word list is missing: the window shows missingListMessage(), then closes the board.
    ListMissing,
};

// A word the child has just spelled: the window shows its picture and tells the board its size.
struct SolvedWord {
    // The picture's file; std::nullopt when the word spells a path that must not be opened.
    std::optional<QString> pictureFile;
};

// The rules of the board. The window hands it every click and timer tick, then shows its state
// through the const accessors; the board never calls a widget. Once closed, no handler does
// anything, and the game ends.
class Board {
public:
    static constexpr int kSlotCount = 12;
    static constexpr int kMaxLetters = kSlotCount;
    // Word lists longer than this are cut: the round counter must be able to step past the last
    // word in 16 bits.
    static constexpr int kMaxWords = 32766;

    // settings: what the computer fixes for every board, the words said or not, the difficult
    // level at the start.
    Board(BoardServices services, Language language, const ComputerSettings& settings = {});

    // Whether a word of the list is played: one tile for each of its letters, and a slot for
    // each tile.
    [[nodiscard]] static bool isPlayable(const QString& entry);

    // Reads the word list and draws the order of the words. Runs once, before the board shows.
    OpenOutcome open();
    // The play button: the next word after a short pause, or the end message after the last.
    // The pause runs the event loop, so other handlers run inside it; a second press during it
    // is ignored, and a close during it leaves nothing more to do once it ends.
    void playNextWord();
    // The quit button and the window's close box: the goodbye chime, then the game ends.
    void quit();
    // A click on a tile. Sent at once, it takes the timers from a tile that another click sent,
    // which stops where it is and can be clicked again. Behind a tile that was typed or waited its
    // turn, and behind any tile still waiting, it waits its own turn: a tile asked for by a key is
    // never left half way, and the tiles fill the slots in the order they were asked for.
    void tileClicked(int index);
    // Any visible answer slot starts the word again.
    void slotClicked(int index);
    // Letters typed on the keyboard, one a grapheme. Each sends the leftmost tile that shows it
    // as a click on that tile would; a letter typed while a tile travels or the row is being put
    // back waits for it, so that letters typed quickly leave in the order they were typed. A
    // letter that no tile of the row shows when its turn comes is announced as not in the word.
    // Once the list is finished the keyboard leaves the end message as it stands.
    void lettersTyped(const QString& text);
    // The keyboard's way to start the word again: as a click on a slot, and the tiles still
    // waiting are forgotten. Nothing once the list is finished.
    void startWordAgain();
    // The two movement timers: a chosen tile falls, then slides into the next slot.
    void dropTick();
    std::optional<SolvedWord> slideTick();
    // The window has loaded the solved word's picture (its size in twips) or could not. The
    // board shows it at most as large as its frame.
    void showPicture(std::optional<QSizeF> size);
    // The hint timer: in the difficult level the hint goes after a few seconds.
    void hideHint();
    void difficultBoxChanged(Qt::CheckState state);
    // The speaker button and its key: the word in play is said again, also while it is hidden.
    void sayWordAgain();
    // Speech on or off for the rest of the session: off silences the word being said.
    void voiceBoxChanged(Qt::CheckState state);

    [[nodiscard]] QString missingListMessage() const;

    [[nodiscard]] bool closed() const { return m_closed; }
    // The end message shows: the last word was played, and play is disabled for good.
    [[nodiscard]] bool finished() const { return !m_playEnabled; }
    [[nodiscard]] bool roundStartPending() const { return m_roundStartPending; }

    [[nodiscard]] const WordTable& words() const { return m_words; }
    // The playable words, word number k at index k - 1.
    [[nodiscard]] const QList<QString>& playableWords() const { return m_playableWords; }
    [[nodiscard]] qint16 playableCount() const { return m_playableCount; }
    [[nodiscard]] qint16 round() const { return m_round; }
    [[nodiscard]] const QString& currentWord() const { return m_currentWord; }
    [[nodiscard]] const QList<QString>& letters() const { return m_letters; }
    [[nodiscard]] qint16 placedCount() const { return m_placedCount; }
    [[nodiscard]] qint16 movingTile() const { return m_movingTile; }
    [[nodiscard]] bool resetting() const { return m_resetting; }
    [[nodiscard]] bool difficult() const { return m_difficult; }
    [[nodiscard]] const std::array<float, kSlotCount>& slotTops() const { return m_slotTops; }
    [[nodiscard]] const std::array<float, kSlotCount>& slotLefts() const { return m_slotLefts; }
    [[nodiscard]] float firstTileLeft() const { return m_firstTileLeft; }
    [[nodiscard]] float firstTileTop() const { return m_firstTileTop; }

    [[nodiscard]] const QString& title() const { return m_title; }
    [[nodiscard]] const Control& hint() const { return m_hint; }
    // The letter tiles; tile 0 always exists.
    [[nodiscard]] const std::vector<Control>& tiles() const { return m_tiles; }
    [[nodiscard]] const std::array<Control, kSlotCount>& answerSlots() const
    {
        return m_answerSlots;
    }
    [[nodiscard]] const Control& slotFrame() const { return m_slotFrame; }
    [[nodiscard]] const Control& pictureFrame() const { return m_pictureFrame; }
    [[nodiscard]] const Control& picture() const { return m_picture; }
    [[nodiscard]] const Control& difficultBox() const { return m_difficultBox; }
    [[nodiscard]] const Control& voiceBox() const { return m_voiceBox; }
    [[nodiscard]] Qt::CheckState voiceBoxState() const { return m_voiceBoxState; }
    // Shows from the first word to the end of the list; its caption is its accessible name.
    [[nodiscard]] const Control& speakerButton() const { return m_speakerButton; }
    [[nodiscard]] const Control& playButton() const { return m_playButton; }
    [[nodiscard]] const Control& quitButton() const { return m_quitButton; }
    [[nodiscard]] bool playEnabled() const { return m_playEnabled; }
    [[nodiscard]] Qt::CheckState difficultBoxState() const { return m_difficultBoxState; }
    [[nodiscard]] const TimerState& dropTimer() const { return m_dropTimer; }
    [[nodiscard]] const TimerState& slideTimer() const { return m_slideTimer; }
    [[nodiscard]] const TimerState& hintTimer() const { return m_hintTimer; }
    [[nodiscard]] const Announcement& announcement() const { return m_announcement; }
    // The tiles still in the row, from the left, as a screen reader reads them in one line
    // ("tuiles : C, T, A, H"): a tile on its way to a slot has left it. Empty when no tile is
    // left, or no word is in play.
    [[nodiscard]] QString tilesLine() const;

private:
    // A tile asked for that waits for the travelling tile: a click names its tile, a typed letter
    // only its letter, whose tile is chosen when its turn comes from the tiles still in the row.
    struct TileRequest {
        int tile = -1;
        QString letter;
    };

    void playCue(Cue cue);
    void sayWord();
    void announce(const QString& text);
    void buildPlayingList();
    void showEndMessage();
    void layOutTileRow(int length);
    void removeTilesAfterFirst();
    void placeMovingTile();
    std::optional<SolvedWord> checkAnswer();
    void resetSlotsAndRow();
    void sendTile(int index, bool inTurn);
    void sendWaitingTiles();
    [[nodiscard]] bool validTile(int index) const;
    [[nodiscard]] int tileShowing(const QString& letter) const;

    BoardServices m_services;
    const LanguageData& m_language;
    bool m_sayWords = true;
    bool m_closed = false;
    bool m_roundStartPending = false;

    WordTable m_words;
    QList<QString> m_playableWords;
    qint16 m_playableCount = 0;
    qint16 m_round = 0;
    QString m_currentWord;
    QList<QString> m_letters;
    qint16 m_placedCount = 0;
    qint16 m_movingTile = 0;
    std::deque<TileRequest> m_waitingTiles;
    // The travelling tile was typed or waited its turn: a click then waits behind it instead of
    // leaving it half way.
    bool m_travelInTurn = false;
    bool m_resetting = false;
    bool m_difficult = false;
    std::array<float, kSlotCount> m_slotTops {};
    std::array<float, kSlotCount> m_slotLefts {};
    float m_firstTileLeft = 0.0F;
    float m_firstTileTop = 0.0F;

    QString m_title;
    Control m_hint;
    std::vector<Control> m_tiles;
    std::array<Control, kSlotCount> m_answerSlots;
    Control m_slotFrame;
    Control m_pictureFrame;
    Control m_picture;
    Control m_difficultBox;
    Control m_voiceBox;
    Control m_speakerButton;
    Control m_playButton;
    Control m_quitButton;
    bool m_playEnabled = true;
    Qt::CheckState m_difficultBoxState = Qt::Unchecked;
    Qt::CheckState m_voiceBoxState = Qt::Checked;
    TimerState m_dropTimer;
    TimerState m_slideTimer;
    TimerState m_hintTimer;
    Announcement m_announcement;
};

} // namespace trouvimo
