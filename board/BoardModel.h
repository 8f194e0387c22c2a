#pragma once

#include "Loterie.h"
#include "WordList.h"

#include <QList>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace trouvimo {

class DataPaths;
class Pause;
class ProcessEnd;
class SoundPlayer;
struct SharedValues;

// The animated picture viewer as the board sees it: it loads a GIF and tells its size in twips.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Loads the picture at `file` (already resolved on disk) and returns its size in twips;
    // std::nullopt, and nothing loaded, when the file is missing, unreadable or too large.
    virtual std::optional<QSizeF> load(const QString& file) = 0;
    // Forgets the current picture, for a path that must not be opened at all.
    virtual void clear() = 0;
};

// The one message the game ever shows: the word list is missing. Returns when it is closed.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void showMessage(const QString& title, const QString& text) = 0;
};

// A control of the board as plain data: where it is (twips, single precision, as the window
// designs store positions), whether it shows, and its caption.
struct Control {
    float Left = 0.0F;
    float Top = 0.0F;
    float Width = 0.0F;
    float Height = 0.0F;
    bool Visible = false;
    QString Caption;
};

// A window timer: whether it runs, and how many times it was asked to run. The window restarts
// its real timer whenever `started` changes, so a round that re-arms the hint timer gives the
// new hint its full four seconds.
struct TimerState {
    bool Enabled = false;
    unsigned started = 0;

    void start()
    {
        Enabled = true;
        ++started;
    }
    void stop() { Enabled = false; }
};

// The services of the platform and the values shared with the start screen, handed to the board
// by whoever builds it.
struct BoardServices {
    SharedValues& shared;
    const DataPaths& paths;
    SoundPlayer& sound;
    Pause& pause;
    ProcessEnd& processEnd;
    Loterie& loterie;
};

// The game board as data, with every handler of the board as a method. It knows no widget: the
// window calls a handler for each click or timer tick and then makes its widgets match.
class BoardModel {
public:
    static constexpr int kSlotCount = 12;
    static constexpr int kMaxLetters = kSlotCount;
    // Word lists longer than this are cut: the round counter must be able to step past the last
    // word in 16 bits.
    static constexpr int kMaxWords = 32766;

    // The picture viewer and the message box belong to the window that shows the board.
    BoardModel(BoardServices services, PictureSource& picture, MessageBox& messages);

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void cmdJouer_Click(int Index);
    void Label1_Click(int Index);
    void Label3_Click(int Index);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Check1_Click(int Value);

    // True once the board has been unloaded: from then on no handler does anything.
    [[nodiscard]] bool unloaded() const { return m_unloaded; }
    // True while the play button waits before laying out the next word.
    [[nodiscard]] bool roundStartPending() const { return m_roundStartPending; }

    // The board state.
    WordTable words;           // TabMots and NbMots as read from the list
    QList<QString> ListeJeu;   // the playable words, ListeJeu(k - 1) = word number k
    qint16 NbMots = 0;         // the number of playable words
    qint16 Manche = 0;
    QString MotCourant;
    QList<QString> Lettres;
    qint16 NbPlacees = 0;
    qint16 TuileChoisie = 0;
    bool Effacement = false;
    bool Difficile = false;
    std::array<float, kSlotCount> HautCases {};
    std::array<float, kSlotCount> GaucheCases {};
    float GaucheTuile0 = 0.0F;
    float HautTuile0 = 0.0F;

    // The controls, at their design places.
    QString Caption = QStringLiteral("TROUVIMO ...");
    Control Label2;                        // the hint
    std::vector<Control> Label1;           // the letter tiles; element 0 always exists
    std::array<Control, kSlotCount> Label3; // the answer slots
    Control Shape1;                        // the frame around the slots, a travelling tile's target
    Control Image2;                        // the frame the picture is centred on
    Control GifPic;                        // the picture of a solved word
    Control Check1;
    std::array<Control, 2> cmdJouer;
    bool cmdJouer0Enabled = true;
    int Check1Value = 0;
    TimerState Timer1;
    TimerState Timer2;
    TimerState Timer3;

private:
    void JouerSon(QStringView relativePath);
    bool ChargerListe(QStringView relativePath, const QString& fileName);
    void buildPlayingList();
    void showEndMessage();
    void layOutTileRow(int length);
    void unloadTilesAfterFirst();
    void placeChosenTile();
    void checkAnswer();
    void showPicture(const QString& answer);
    void resetSlotsAndRow();
    [[nodiscard]] bool validTile(int index) const;

    BoardServices m_services;
    PictureSource& m_picture;
    MessageBox& m_messages;
    bool m_unloaded = false;
    bool m_roundStartPending = false;
};

} // namespace trouvimo
