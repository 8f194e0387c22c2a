#include "widgets/Announcer.h"

#include "widgets/AccessibleFactory.h"

namespace trouvimo {

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // A widget of no size is not shown to a screen reader.
    resize(1, 1);
    hide();
    provideAccessibleRole<Announcer, QAccessible::Notification>();
}

void Announcer::announce(const QString& message)
{
    hide();
    setAccessibleName(message);
    show();
}

} // namespace trouvimo
