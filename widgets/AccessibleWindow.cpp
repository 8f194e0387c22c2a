#include "widgets/AccessibleWindow.h"

#include "widgets/AccessibleFactory.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QKeyEvent>

namespace trouvimo {

namespace {

class AccessibleWindowInterface final : public QAccessibleWidget {
public:
    explicit AccessibleWindowInterface(AccessibleWindow* window)
        : QAccessibleWidget(window, QAccessible::Window)
    {
    }

    [[nodiscard]] int childCount() const override
    {
        return static_cast<int>(gameWindow()->readingOrder().size());
    }

    [[nodiscard]] QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> order = gameWindow()->readingOrder();
        if (index < 0 || index >= order.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(order[index]);
    }

    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child == nullptr || !child->object() || !child->object()->isWidgetType())
            return -1;
        return static_cast<int>(
            gameWindow()->readingOrder().indexOf(static_cast<QWidget*>(child->object())));
    }

private:
    [[nodiscard]] AccessibleWindow* gameWindow() const
    {
        return static_cast<AccessibleWindow*>(widget());
    }
};

} // namespace

AccessibleWindow::AccessibleWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    provideAccessibleInterface<AccessibleWindow, AccessibleWindowInterface>();
}

// A button takes Space itself but leaves Enter to its window.
void AccessibleWindow::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    if (enter && button != nullptr && button->isVisible()) {
        if (!event->isAutoRepeat())
            button->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace trouvimo
