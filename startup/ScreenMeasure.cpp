#include "ScreenMeasure.h"

#include <cmath>
#include <limits>

namespace trouvimo {

namespace {

// Rounds to the nearest integer with ties to the even neighbour, as the platform's conversion
// to an integer does; std::nullopt outside the 32-bit range.
std::optional<qint32> roundToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

} // namespace

std::optional<qint16> measurePixels(double twips, double twipsPerPixel)
{
    const auto size = roundToInt(twips);
    const auto divisor = roundToInt(twipsPerPixel);
    if (!size || !divisor || *divisor == 0)
        return std::nullopt;
    const qint32 pixels = *size / *divisor;
    if (pixels < std::numeric_limits<qint16>::min() || pixels > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(pixels);
}

} // namespace trouvimo
