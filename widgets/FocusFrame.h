#pragma once

#include <QPainter>
#include <QRect>

namespace trouvimo {

// A frame of black and white dots that shows where the keyboard is; the two colours keep it
// visible on every background the game's controls have.
inline void drawFocusFrame(QPainter& painter, const QRect& frame)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(frame);
    painter.restore();
}

} // namespace trouvimo
