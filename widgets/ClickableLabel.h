#pragma once

#include <QLabel>

namespace trouvimo {

// A label that reports a click the way a button does: a press and a release, both inside it.
// Screen readers and switch devices press it through its accessible "Press" action, with the
// same effect as a click, so that the game is played without a pointer on any desk.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    // What a click does, for whoever presses the label without a pointer.
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace trouvimo
