#include "widgets/Outline.h"

#include "widgets/FocusFrame.h"

#include <QPainter>

namespace trouvimo {

Outline::Outline(const QColor& colour, QWidget* parent)
    : QWidget(parent)
    , m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Outline::setPenWidth(int width)
{
    m_penWidth = width;
    update();
}

void Outline::showFocus(bool shown)
{
    if (m_focusShown == shown)
        return;
    m_focusShown = shown;
    update();
}

void Outline::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const int inset = m_penWidth / 2;
    QPen pen(m_colour, m_penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(
        rect().adjusted(inset, inset, -inset - m_penWidth % 2, -inset - m_penWidth % 2));
    if (m_focusShown) {
        const int focusInset = m_penWidth + 1;
        drawFocusFrame(painter,
                       rect().adjusted(focusInset, focusInset, -focusInset - 1, -focusInset - 1));
    }
}

} // namespace trouvimo
