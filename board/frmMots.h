#pragma once

#include "BoardModel.h"

#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QTimer;
class QToolButton;

namespace trouvimo {

class ClickableLabel;
class GifPic;

// The game board window. It owns the widgets and the three timers, hands every click and tick
// to the BoardModel and then makes the widgets match it. Nothing of the game's rules is decided
// here; what the window alone decides is the scale that fits the board on the screen.
class frmMots : public QWidget, private MessageBox {
    Q_OBJECT

public:
    // Creating the board opens it: the word list is read and the order of the words drawn.
    explicit frmMots(BoardServices services, QWidget* parent = nullptr);
    ~frmMots() override;

    [[nodiscard]] BoardModel& model() { return *m_model; }
    [[nodiscard]] double scale() const { return m_scale; }

    // The scale at which the board and its window frame fit in `available`, never above 1.
    [[nodiscard]] static double fittingScale(QSize available, QSize frameExtra);
    // The client size of the board at a scale.
    [[nodiscard]] static QSize clientSize(double scale);

    // Shows the window centred on its screen.
    void showCentred();

    // The widgets, for tests and for whoever reads the board from outside.
    [[nodiscard]] ClickableLabel* tile(int index) const;
    [[nodiscard]] int tileCount() const { return static_cast<int>(m_Label1.size()); }
    [[nodiscard]] ClickableLabel* slot(int index) const { return m_Label3.at(index); }
    [[nodiscard]] QLabel* hint() const { return m_Label2; }
    [[nodiscard]] QToolButton* playButton() const { return m_cmdJouer[0]; }
    [[nodiscard]] QToolButton* quitButton() const { return m_cmdJouer[1]; }
    [[nodiscard]] QCheckBox* difficultBox() const { return m_Check1; }
    [[nodiscard]] GifPic* picture() const { return m_GifPic; }
    [[nodiscard]] QTimer* timer(int number) const;

    // Runs a handler of the model and brings the widgets up to date.
    template <typename Handler>
    void run(Handler&& handler)
    {
        handler(*m_model);
        sync();
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showMessage(const QString& title, const QString& text) override;

    void buildControls();
    void applyScale();
    void sync();
    void syncTiles();
    void syncTimer(const TimerState& state, QTimer* timer, unsigned& lastStarted);
    void place(QWidget* widget, const Control& control) const;
    void styleTile(ClickableLabel* tile) const;
    ClickableLabel* makeTile();
    void keepChildWindowsInFront();
    // Shrinks and moves the window until its frame lies whole on the screen's available area.
    void keepWhollyOnScreen();

    std::unique_ptr<BoardModel> m_model;
    // A window manager that keeps placing the frame elsewhere is answered a few times, not
    // fought for ever.
    static constexpr int kMaxPlacementCorrections = 8;

    double m_scale = 1.0;
    bool m_watchingPlacement = false;
    int m_placementCorrections = 0;

    QLabel* m_Image1 = nullptr;
    std::vector<ClickableLabel*> m_Label1;
    QLabel* m_Label2 = nullptr;
    QWidget* m_Shape1 = nullptr;
    std::array<ClickableLabel*, BoardModel::kSlotCount> m_Label3 {};
    QWidget* m_Image2 = nullptr;
    QLabel* m_Label4 = nullptr;
    std::array<QToolButton*, 2> m_cmdJouer {};
    GifPic* m_GifPic = nullptr;
    QCheckBox* m_Check1 = nullptr;
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer2 = nullptr;
    QTimer* m_Timer3 = nullptr;
    unsigned m_timer1Started = 0;
    unsigned m_timer2Started = 0;
    unsigned m_timer3Started = 0;
};

} // namespace trouvimo
