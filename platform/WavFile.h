#pragma once

#include <QString>

#include <optional>

namespace trouvimo {

// What the header of a WAV file promises, once checked against the file itself.
struct WavInfo {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    // 32-bit float samples rather than integers.
    bool floatSamples = false;
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;
    [[nodiscard]] double durationSeconds() const;
};

// Reads the header of a WAV file and checks that Qt Multimedia can play it as it stands:
// uncompressed PCM (8, 16 or 32 bits) or 32-bit float, a format chunk before a data chunk, and a
// data chunk that holds at least one frame and no more bytes than the file has left.
// std::nullopt for anything else: no file, a directory, an empty or truncated file, a header
// that lies about its sizes, or a file that is no WAV at all.
[[nodiscard]] std::optional<WavInfo> inspectWav(const QString& path);

// A WAV file that inspectWav() accepts, with its samples read into memory.
struct WavSound {
    WavInfo info;
    QByteArray samples;
};
[[nodiscard]] std::optional<WavSound> readWav(const QString& path);

} // namespace trouvimo
