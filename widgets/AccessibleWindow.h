#pragma once

#include <QList>
#include <QWidget>

namespace trouvimo {

// A window of the game as a screen reader sees it: a window named by its title, whose controls
// are read in the order they stand on the screen, and whose decorations it does not see. Enter
// presses the button that has the keyboard's focus, as Space does.
class AccessibleWindow : public QWidget {
    Q_OBJECT

public:
    explicit AccessibleWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The controls in the order a screen reader reads them; the window's other children are
    // decoration.
    [[nodiscard]] virtual QList<QWidget*> readingOrder() const = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace trouvimo
