#include "widgets/ClickableLabel.h"

#include "widgets/AccessibleFactory.h"

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

    // Named by its caption, as Qt names a label: Qt tells a screen reader of each change of the
    // caption, and the caption need not be given again as a name.
    [[nodiscard]] QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const ClickableLabel*>(widget())->text();
        return QAccessibleWidget::text(kind);
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

} // namespace

ClickableLabel::ClickableLabel(QWidget* parent)
    : QLabel(parent)
{
    provideAccessibleInterface<ClickableLabel, AccessibleClickableLabel>();
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
