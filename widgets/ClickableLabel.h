#pragma once

#include <QLabel>

namespace trouvimo {

// A label that reports a click the way a button does: a press and a release, both inside it.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace trouvimo
