#include "widgets/GraphicalButton.h"

#include "widgets/AccessibleFactory.h"

#include <QAccessibleWidget>
#include <QButtonGroup>

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
    // told apart, as the key that presses the button.
    [[nodiscard]] QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return drawnCaption(button()->text());
        if (kind == QAccessible::Accelerator)
            return accessKey();
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
}

void GraphicalButton::focusInEvent(QFocusEvent* event)
{
    // Qt leaves the buttons of a choice of one to the arrows and takes Tab from all but the focused
    // one; a child who knows only Tab must still reach each of them.
    QToolButton::focusInEvent(event);
    if (inChoiceOfOne(*this)) {
        for (QAbstractButton* other : group()->buttons())
            other->setFocusPolicy(focusPolicy());
    }
}

} // namespace trouvimo
