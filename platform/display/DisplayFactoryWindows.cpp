#include "platform/display/DisplayFactory.h"
#include "platform/display/windows/WindowsDisplay.h"

namespace trouvimo {

std::unique_ptr<Display> makeDisplay(const QString& /*programsFolder*/)
{
    return std::make_unique<WindowsDisplay>();
}

} // namespace trouvimo
