#include "Resolution.h"

#include "Display.h"

#include <cmath>
#include <limits>

namespace trouvimo {

std::optional<qint32> roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Worked out by hand rather than with std::nearbyint, whose result depends on the
    // floating-point rounding mode that any library loaded into the process may have changed.
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double rounded = lower + 1.0;
    if (fraction < 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) == 0.0))
        rounded = lower;
    if (rounded < static_cast<double>(std::numeric_limits<qint32>::min())
        || rounded > static_cast<double>(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

void ChangerResolution(Display& display, float width, float height)
{
    const std::optional<qint32> pixelsWide = roundHalfEven(width);
    const std::optional<qint32> pixelsHigh = roundHalfEven(height);
    if (!pixelsWide || !pixelsHigh)
        return;
    display.setMode(*pixelsWide, *pixelsHigh);
}

} // namespace trouvimo
