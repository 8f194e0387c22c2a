#include "widgets/GraphicalButton.h"

#include "widgets/AccessibleFactory.h"

#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QKeyEvent>

namespace trouvimo {

namespace {

// A caption as it is drawn: "&" marks the access key and is not drawn, "&&" draws one "&".
QString drawnCaption(const QString& caption)
{
    QString drawn;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && ++i == caption.size())
            break;
        drawn += caption[i];
    }
    return drawn;
}

bool inChoiceOfOne(const QAbstractButton& button)
{
    return button.isCheckable() && button.group() != nullptr && button.group()->exclusive();
}

class AccessibleGraphicalButton final : public QAccessibleWidget {
public:
    explicit AccessibleGraphicalButton(GraphicalButton* button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    [[nodiscard]] QAccessible::Role role() const override
    {
        if (inChoiceOfOne(*button()))
            return QAccessible::RadioButton;
        return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
    }

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        state.checkable = button()->isCheckable();
        state.checked = button()->isChecked();
        return state;
    }

    // The caption names the button, without the "&" that marks its access key; the access key is
    // told apart, as the key that presses the button. A tooltip stands for the description where
    // there is none, and one that only repeats the name would have the name read twice.
    [[nodiscard]] QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return drawnCaption(button()->text());
        if (kind == QAccessible::Accelerator)
            return accessKey();
        if (kind == QAccessible::Description) {
            const QString description = QAccessibleWidget::text(kind);
            return description == text(QAccessible::Name) ? QString() : description;
        }
        return QAccessibleWidget::text(kind);
    }

    [[nodiscard]] QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled()) {
            if (button()->isCheckable())
                names << toggleAction();
            names << pressAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    // Pressed as its access key presses it, a moment later, so that a screen reader is answered
    // before whatever the button starts.
    void doAction(const QString& name) override
    {
        if (name == pressAction() || name == toggleAction())
            button()->animateClick();
        else
            QAccessibleWidget::doAction(name);
    }

    [[nodiscard]] QStringList keyBindingsForAction(const QString& name) const override
    {
        if ((name == pressAction() || name == toggleAction()) && !accessKey().isEmpty())
            return {accessKey()};
        return QAccessibleWidget::keyBindingsForAction(name);
    }

private:
    [[nodiscard]] QAbstractButton* button() const
    {
        return static_cast<QAbstractButton*>(widget());
    }
    [[nodiscard]] QString accessKey() const
    {
        return button()->shortcut().toString(QKeySequence::NativeText);
    }
};

} // namespace

GraphicalButton::GraphicalButton(QWidget* parent, const QColor& background)
    : QToolButton(parent)
    , m_background(background)
    // Like any colour written in a style sheet, the bevel's has eight bits a channel.
    , m_bevel(QColor(background.lighter(140).name()))
{
    // Every pixel is painted here, so what lies behind the button is not painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    provideAccessibleInterface<GraphicalButton, AccessibleGraphicalButton>();
    connect(this, &QAbstractButton::toggled, this, &GraphicalButton::keepChoiceInTabChain);
}

void GraphicalButton::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        step = 1;
        break;
    default:
        break;
    }
    if (step == 0 || !inChoiceOfOne(*this)) {
        QToolButton::keyPressEvent(event);
        return;
    }
    // The buttons of a choice are added to their group in the order they stand on the screen; the
    // arrows go round them, as they go round radio buttons.
    const QList<QAbstractButton*> choices = group()->buttons();
    const auto count = choices.size();
    const auto here = choices.indexOf(this);
    for (qsizetype tried = 1; tried < count; ++tried) {
        QAbstractButton* next = choices[((here + step * tried) % count + count) % count];
        if (next->isEnabled() && next->isVisible()) {
            next->setFocus(Qt::TabFocusReason);
            next->click();
            break;
        }
    }
    event->accept();
}

void GraphicalButton::keepChoiceInTabChain(bool chosen)
{
    // Qt takes Tab from the buttons of a group but the focused one when one takes the focus; the
    // chosen button is the group's stop for Tab also before any of them had the focus, and after
    // the mouse changed the choice.
    if (!chosen || !inChoiceOfOne(*this))
        return;
    for (QAbstractButton* other : group()->buttons())
        other->setFocusPolicy(other == this ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace trouvimo
