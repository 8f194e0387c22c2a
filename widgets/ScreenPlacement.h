#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace trouvimo {

// Moves a top-level window so that its client area is centred on `area`.
void centreWindow(QWidget* window, const QRect& area);

// Keeps a top-level window's frame whole on its screen's available area from the moment it is
// shown. A window manager frames and places a window some moments after it is shown, and may
// place the frame where it does not fit: each move is checked where it lands, and a frame that
// does not fit is first shrunk (by the window, which knows how) and then centred. A window
// manager that keeps placing the frame elsewhere is answered a few times, not fought for ever.
class OnScreenKeeper final : public QObject {
public:
    // shrinkTo asks the window to fit its client area within a room, if it must shrink to.
    OnScreenKeeper(QWidget* window, std::function<void(QSize room)> shrinkTo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepWhole();

    static constexpr int kMaxCorrections = 8;

    QWidget* m_window;
    std::function<void(QSize room)> m_shrinkTo;
    bool m_watching = false;
    int m_corrections = 0;
    // Room that the window manager keeps for itself beyond the frame it reports, learnt from
    // where it holds the frame after being asked to move it.
    QSize m_heldMargin {0, 0};
};

} // namespace trouvimo
