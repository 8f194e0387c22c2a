#include "platform/display/DisplayConnection.h"

namespace trouvimo {

// The Windows display does not go away under a running program; there is nothing to watch.
void endAtOnceWhenTheDisplayConnectionBreaks()
{
}

} // namespace trouvimo
