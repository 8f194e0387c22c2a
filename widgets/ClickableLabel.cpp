#include "widgets/ClickableLabel.h"

#include <QMouseEvent>

namespace trouvimo {

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    const bool click = m_pressed && event->button() == Qt::LeftButton && inside;
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace trouvimo
