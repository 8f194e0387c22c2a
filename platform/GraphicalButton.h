#pragma once

#include <QColor>
#include <QIcon>
#include <QToolButton>

namespace trouvimo {

// A button in the game's graphical style: its 32 x 32 picture above its caption on a flat
// background colour, sunk in while it is pressed or, for the flag buttons, while it is chosen.
inline QToolButton* makeGraphicalButton(QWidget* parent, const QString& icon, const QColor& background)
{
    auto* button = new QToolButton(parent);
    button->setIcon(QIcon(icon));
    button->setIconSize({32, 32});
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(
        QStringLiteral("QToolButton { background-color: %1; border: 2px outset %2; color: black; }"
                       "QToolButton:pressed, QToolButton:checked { border: 2px inset %2; }"
                       "QToolButton:disabled { color: #606060; }"
                       "QToolButton:focus { outline: 1px dotted black; }")
            .arg(background.name(), background.lighter(140).name()));
    return button;
}

} // namespace trouvimo
