#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace trouvimo {

class GraphicalButton;

// How long a grown-up holds a button that a child's click must not press.
inline constexpr std::chrono::milliseconds kGrownUpsHold {2000};

// Makes a button act only when it is held down for a while, a grown-up's press rather than a
// child's click: held() is signalled once the press has lasted, and the button fills up while it
// is held. A press let go too soon, a click of the keyboard or of a screen reader, and tell(),
// show the hint on the button for a moment instead of its caption.
class HeldPress final : public QObject {
    Q_OBJECT

public:
    HeldPress(GraphicalButton* button, std::chrono::milliseconds hold, QString hint);

    // Shows the hint on the button for a moment.
    void tell();

signals:
    void held();

private:
    void pressed();
    void released();
    void step();

    GraphicalButton* m_button;
    std::chrono::milliseconds m_hold;
    QString m_hint;
    QTimer m_steps;
    QTimer m_hintShown;
    std::chrono::steady_clock::time_point m_pressedAt;
    bool m_pressing = false;
};

} // namespace trouvimo
