#include "platform/process/Console.h"

namespace trouvimo {

void printToTheCallersConsole()
{
}

} // namespace trouvimo
