#pragma once

#include <QByteArray>

#include <vector>

namespace trouvimo {

// Mono samples in [-1, 1] as the bytes of a 16-bit PCM WAV file, written by libsndfile; empty
// when it fails. Samples beyond [-1, 1] are clipped.
[[nodiscard]] QByteArray wavBytes(const std::vector<float>& samples, int sampleRate);

} // namespace trouvimo
