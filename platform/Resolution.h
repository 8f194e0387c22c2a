#pragma once

#include <QtGlobal>

#include <optional>

namespace trouvimo {

class Display;

// The nearest 32-bit integer, a tie going to the even neighbour (799.5 -> 800, 800.5 -> 800).
// std::nullopt when the value is not a number or its nearest integer does not fit in 32 bits.
[[nodiscard]] std::optional<qint32> roundHalfEven(double value);

// Switches the display to width x height pixels, each rounded as roundHalfEven() does, asking
// for nothing but the size. A size that does not round to a 32-bit integer switches nothing.
void ChangerResolution(Display& display, float width, float height);

} // namespace trouvimo
