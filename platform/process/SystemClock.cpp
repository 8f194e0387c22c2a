#include "platform/process/SystemClock.h"

#include <QTime>

namespace trouvimo {

double SystemClock::secondsSinceMidnight() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

const Clock& systemClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace trouvimo
