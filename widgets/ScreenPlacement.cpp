#include "widgets/ScreenPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace trouvimo {

void centreWindow(QWidget* window, const QRect& area)
{
    QRect frame(QPoint(), window->size());
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

OnScreenKeeper::OnScreenKeeper(QWidget* window, std::function<void(QSize room)> shrinkTo)
    : QObject(window)
    , m_window(window)
    , m_shrinkTo(std::move(shrinkTo))
{
    window->installEventFilter(this);
}

bool OnScreenKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::Show && !m_watching) {
        m_watching = true;
        if (QScreen* shown = m_window->screen())
            connect(shown, &QScreen::availableGeometryChanged, this, &OnScreenKeeper::keepWhole);
        QTimer::singleShot(0, this, &OnScreenKeeper::keepWhole);
    } else if (event->type() == QEvent::Move && m_watching) {
        keepWhole();
    }
    return false;
}

void OnScreenKeeper::keepWhole()
{
    const QScreen* shown = m_window->screen();
    if (shown == nullptr || m_corrections >= kMaxCorrections)
        return;
    const QRect available = shown->availableGeometry();
    const QSize extra = m_window->frameGeometry().size() - m_window->geometry().size();
    QRect frame(m_window->frameGeometry().topLeft(), m_window->size() + extra);
    // A frame that would fit but that the window manager places where it sticks out: xfwm4 keeps
    // the client below a title bar taller than the extents it reports, and does not move a frame
    // as large as the screen, nor tell that it stayed. The part that sticks out is room the window
    // must leave.
    if (!available.contains(frame) && available.width() >= frame.width()
        && available.height() >= frame.height()) {
        m_heldMargin =
            m_heldMargin.expandedTo(QSize(std::max(0, frame.right() - available.right()),
                                          std::max(0, frame.bottom() - available.bottom())));
    }
    const QSize before = m_window->size();
    m_shrinkTo(available.size() - extra - m_heldMargin);
    const bool shrunk = m_window->size() != before;
    frame.setSize(m_window->size() + extra);
    if (!shrunk && available.contains(frame))
        return;
    ++m_corrections;
    frame.moveCenter(available.center());
    m_window->move(frame.topLeft());
}

} // namespace trouvimo
