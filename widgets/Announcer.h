#pragma once

#include <QWidget>

namespace trouvimo {

// Tells a screen reader what happened away from the keyboard's focus, such as a new word laid out
// or the end of the list. Qt 6.4 has no announcement of its own; screen readers speak a
// notification when it shows, so each message shows the notification again. It draws nothing.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent);

    void announce(const QString& message);
};

} // namespace trouvimo
