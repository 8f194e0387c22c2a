#pragma once

#include <QColor>
#include <QWidget>

namespace trouvimo {

// A coloured outline with nothing inside, drawn over what lies below it and letting every click
// through: the frame around the board's answer slots.
class Outline final : public QWidget {
public:
    Outline(const QColor& colour, QWidget* parent);

    void setPenWidth(int width);
    // While the window itself has the keyboard, the focus frame inside the outline shows where
    // the typed letters go, as the buttons show their focus.
    void showFocus(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
    int m_penWidth = 5;
    bool m_focusShown = false;
};

} // namespace trouvimo
