#include "widgets/ClickableLabel.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

namespace trouvimo {

namespace {

class AccessibleClickableLabel final : public QAccessibleWidget {
public:
    explicit AccessibleClickableLabel(ClickableLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    [[nodiscard]] QStringList actionNames() const override
    {
        return QStringList {pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<ClickableLabel*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* accessibleClickableLabel(const QString& className, QObject* object)
{
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className())
        && object != nullptr && object->isWidgetType())
        return new AccessibleClickableLabel(static_cast<ClickableLabel*>(object));
    return nullptr;
}

} // namespace

ClickableLabel::ClickableLabel(QWidget* parent)
    : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleClickableLabel);
        return true;
    }();
    Q_UNUSED(installed);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    const bool click = m_pressed && event->button() == Qt::LeftButton && inside;
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace trouvimo
