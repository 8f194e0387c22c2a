#pragma once

#include "board/Board.h"
#include "widgets/AccessibleWindow.h"
#include "widgets/GraphicalButton.h"

#include <QFont>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QTimer;
class QToolButton;

namespace trouvimo {

class Announcer;
class HeldPress;
class ClickableLabel;
class AnimatedPicture;
class Outline;

// The game board window. It owns the widgets and the three timers, hands every click and tick
// to the Board and then makes the widgets match it. Nothing of the game's rules is decided
// here; what the window alone decides is the scale that fits the board on the screen.
class BoardWindow : public AccessibleWindow {
    Q_OBJECT

public:
    // A window on the desktop, at the design's size or shrunk to fit; or the whole monitor, the
    // design scaled to the largest size that fits and centred, where the game shows on a monitor
    // larger than its design that it did not switch.
    enum class Placement { Window, FullScreen };

    BoardWindow(BoardServices services, Language language, Placement placement = Placement::Window,
                const ComputerSettings& settings = {}, QWidget* parent = nullptr);
    ~BoardWindow() override;

    // Opens the board: the word list is read and the order of the words drawn. When the list is
    // missing the window says so and the game ends.
    void open();

    [[nodiscard]] const Board& board() const { return *m_board; }
    [[nodiscard]] double scale() const { return m_scale; }

    // The scale at which the board fits in a room (what the screen has available, less the
    // window's frame), never above 1.
    [[nodiscard]] static double fittingScale(QSize room);
    // The client size of the board at a scale.
    [[nodiscard]] static QSize clientSize(double scale);
    // The scale at which the board fills as much of a monitor as it can, margins aside.
    [[nodiscard]] static double fullScreenScale(QSize monitor);

    // Shows the window centred on its screen, or over the whole of it.
    void showCentred();

    // The red word, the tiles and the slots from the left, the picture, the buttons, the check
    // boxes and the credit line, then what the board announces; the backdrop and the frames are
    // decoration.
    [[nodiscard]] QList<QWidget*> readingOrder() const override;

    // The widgets, for tests and for whoever reads the board from outside.
    [[nodiscard]] ClickableLabel* tile(int index) const;
    [[nodiscard]] int tileCount() const { return static_cast<int>(m_tiles.size()); }
    [[nodiscard]] ClickableLabel* slot(int index) const { return m_slots.at(index); }
    [[nodiscard]] QLabel* hint() const { return m_hint; }
    [[nodiscard]] QToolButton* playButton() const { return m_playButton; }
    [[nodiscard]] QToolButton* quitButton() const { return m_quitButton; }
    [[nodiscard]] QCheckBox* difficultBox() const { return m_difficultBox; }
    [[nodiscard]] QCheckBox* voiceBox() const { return m_voiceBox; }
    [[nodiscard]] QToolButton* speakerButton() const { return m_speakerButton; }
    [[nodiscard]] AnimatedPicture* picture() const { return m_picture; }
    [[nodiscard]] QTimer* timer(int number) const;

    // The slide timer's handler: a word solved by the tile that slid in shows its picture.
    void slideTick();

    // Runs a handler of the board and brings the widgets up to date.
    template <typename Handler> void run(Handler&& handler)
    {
        handler(*m_board);
        sync();
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void showPicture(const SolvedWord& solved);
    void buildControls(const LanguageData& texts, bool holdToQuit);
    void applyScale();
    void sync();
    void syncTiles();
    void fitLetterFonts();
    void syncTimer(const TimerState& state, QTimer* timer, unsigned& lastStarted);
    void place(QWidget* widget, const Control& control) const;
    [[nodiscard]] QRect toPixels(double left, double top, double width, double height) const;
    void styleTile(ClickableLabel* tile) const;
    ClickableLabel* makeTile();
    // A check box of the board, which hands its new state to the board's handler.
    QCheckBox* makeCheckBox(void (Board::*changed)(Qt::CheckState));
    void keepChildWindowsInFront();
    // Shrinks the board, never enlarging it, until it fits in the room.
    void shrinkToFit(QSize room);

    std::unique_ptr<Board> m_board;
    Placement m_placement = Placement::Window;
    double m_scale = 1.0;
    // Where the design's top left corner lies in the window: the margins around a board that
    // fills a monitor of other proportions.
    QPoint m_origin;

    QLabel* m_background = nullptr;
    std::vector<ClickableLabel*> m_tiles;
    // The font of the word's tiles, and the letters it was chosen for.
    QFont m_tileFont;
    std::optional<QStringList> m_tileFontLetters;
    QLabel* m_hint = nullptr;
    Outline* m_slotFrame = nullptr;
    std::array<ClickableLabel*, Board::kSlotCount> m_slots {};
    QWidget* m_pictureFrame = nullptr;
    QLabel* m_creditLine = nullptr;
    GraphicalButton* m_playButton = nullptr;
    GraphicalButton* m_quitButton = nullptr;
    // Where Quitter must be held down: its press, which the close box tells of too.
    HeldPress* m_heldQuit = nullptr;
    AnimatedPicture* m_picture = nullptr;
    QCheckBox* m_difficultBox = nullptr;
    QCheckBox* m_voiceBox = nullptr;
    GraphicalButton* m_speakerButton = nullptr;
    Announcer* m_announcer = nullptr;
    unsigned m_announcements = 0;
    QTimer* m_dropTimer = nullptr;
    QTimer* m_slideTimer = nullptr;
    QTimer* m_hintTimer = nullptr;
    unsigned m_dropTimerStarts = 0;
    unsigned m_slideTimerStarts = 0;
    unsigned m_hintTimerStarts = 0;
};

} // namespace trouvimo
