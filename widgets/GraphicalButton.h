#pragma once

#include "widgets/FocusFrame.h"

#include "widgets/ResourcePng.h"

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPolygonF>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>

namespace trouvimo {

// A button in the game's graphical style: its picture (32 x 32 at the design's size) above its
// caption, or alone, on a flat background colour inside a 2-pixel bevel, raised, or sunk in while
// it is pressed or, for the flag buttons, while it is chosen; a disabled caption is grey, and the
// button that has the keyboard's focus shows a dotted frame.
//
// The button paints the bevel itself rather than through a style sheet: Qt's style-sheet style
// would parse the sheet and work out its rules for every button before the window could first
// show, which costs the start screen milliseconds. The painting is the style sheet's own (the
// same trapezoids, the same colours), so the buttons look exactly as they did with one.
//
// A screen reader knows it as a push button, or as a radio button when it is one of a choice of
// one, such as the flags. A choice of one is a single stop for Tab, its chosen button, and the
// arrows move the choice from one button to the next, as in a group of radio buttons.
class GraphicalButton final : public QToolButton {
    Q_OBJECT

public:
    static constexpr int kPictureSize = 32;

    GraphicalButton(QWidget* parent, const QColor& background);

    // The picture, shown at kPictureSize pixels square until setPictureSize() asks for another.
    // The game's pictures are drawn larger than that, for a window scaled up to fill a large
    // monitor; the icon shows them reduced, smoothly, wherever they are shown smaller.
    void setPicture(const QImage& picture)
    {
        m_picture = picture;
        setIcon(QIcon(QPixmap::fromImage(picture)));
        setIconSize({kPictureSize, kPictureSize});
    }

    // A window scaled up shows the picture larger: an icon is never drawn larger than its
    // pixmap, so a picture smaller than that size is scaled up to it, smoothly, and the icon made
    // from that.
    void setPictureSize(int pixels)
    {
        const QSize size(pixels, pixels);
        if (!m_picture.isNull() && pixels > m_picture.width())
            setIcon(QIcon(QPixmap::fromImage(
                m_picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
        setIconSize(size);
    }

    // A word shown for a while in place of the caption, which stays the button's name; empty
    // shows the caption again.
    void setNotice(const QString& notice)
    {
        m_notice = notice;
        update();
    }

    // How much of a press held for a while has passed, from 0 to 1, shown as the button filling
    // up from the left.
    void setFill(qreal fill)
    {
        m_fill = fill;
        update();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        painter.fillRect(rect(), m_background);

        // Each edge of the bevel is a trapezoid; the light falls from the top left, and the edges
        // are painted bottom, right, left, top, the later ones taking the corners.
        const bool sunk = option.state & (QStyle::State_Sunken | QStyle::State_On);
        const QColor lit = m_bevel.lighter();
        const QColor& topLeft = sunk ? m_bevel : lit;
        const QColor& bottomRight = sunk ? lit : m_bevel;
        const QRectF box(rect());
        const qreal left = box.left();
        const qreal top = box.top();
        const qreal right = box.right();
        const qreal bottom = box.bottom();
        const qreal width = kBevel;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(bottomRight);
        painter.drawConvexPolygon(QPolygonF {{left, bottom},
                                             {left + width, bottom - width},
                                             {right - width, bottom - width},
                                             {right, bottom}});
        painter.drawConvexPolygon(QPolygonF {{right, top},
                                             {right - width, top + width},
                                             {right - width, bottom - width},
                                             {right, bottom}});
        painter.setBrush(topLeft);
        painter.drawConvexPolygon(QPolygonF {{left, top},
                                             {left + width, top + width},
                                             {left + width, bottom - width},
                                             {left, bottom}});
        painter.drawConvexPolygon(QPolygonF {
            {left, top}, {left + width, top + width}, {right - width, top + width}, {right, top}});
        if (m_fill > 0.0) {
            const QRectF inside = box.adjusted(width, width, -width, -width);
            painter.setBrush(m_bevel);
            painter.setOpacity(0.5);
            painter.drawRect(
                QRectF(inside.topLeft(), QSizeF(inside.width() * m_fill, inside.height())));
        }
        painter.restore();

        option.rect = rect().adjusted(kBevel, kBevel, -kBevel, -kBevel);
        if (!m_notice.isEmpty())
            option.text = m_notice;
        option.palette.setColor(QPalette::ButtonText,
                                isEnabled() ? QColor(Qt::black) : QColor(0x60, 0x60, 0x60));
        option.palette.setColor(QPalette::Button, m_background);
        painter.drawControl(QStyle::CE_ToolButtonLabel, option);

        // The focus frame inside the bevel shows which button the keyboard would press.
        if (option.state & QStyle::State_HasFocus) {
            drawFocusFrame(
                painter,
                rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
        }
    }

private:
    void keepChoiceInTabChain(bool chosen);

    static constexpr int kBevel = 2;
    static constexpr int kFocusInset = kBevel + 2;

    QColor m_background;
    QColor m_bevel;
    QImage m_picture;
    QString m_notice;
    qreal m_fill = 0.0;
};

inline GraphicalButton* makeGraphicalButton(QWidget* parent, const QString& icon,
                                            const QColor& background)
{
    auto* button = new GraphicalButton(parent, background);
    button->setPicture(readPng(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

} // namespace trouvimo
