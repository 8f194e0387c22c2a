#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLatin1StringView>

namespace trouvimo {

// Gives the objects of class Widget the accessible interface Interface, made from the object.
// Qt asks the factories with each class name of an object from its own class up, so a class
// derived from Widget gets the interface too unless a factory answers for its own class. Called
// from Widget's constructor: Qt makes an object's interface only once something asks for it.
template <typename Widget, typename Interface> void provideAccessibleInterface()
{
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString& className, QObject* object) -> QAccessibleInterface* {
                if (object == nullptr
                    || className != QLatin1StringView(Widget::staticMetaObject.className()))
                    return nullptr;
                return new Interface(static_cast<Widget*>(object));
            });
        return true;
    }();
    Q_UNUSED(installed);
}

// A widget that a screen reader knows by its role alone.
template <QAccessible::Role Role> class AccessibleWithRole final : public QAccessibleWidget {
public:
    explicit AccessibleWithRole(QWidget* widget)
        : QAccessibleWidget(widget, Role)
    {
    }
};

template <typename Widget, QAccessible::Role Role> void provideAccessibleRole()
{
    provideAccessibleInterface<Widget, AccessibleWithRole<Role>>();
}

} // namespace trouvimo
