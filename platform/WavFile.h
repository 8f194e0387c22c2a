#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace trouvimo {

// A WAV file decoded into a sample format the audio output takes, channels interleaved, at the
// file's own rate: 16-bit integers for the encodings of 16 bits or fewer, which lose nothing in
// them and take half the memory of floats, and 32-bit float samples in [-1, 1] for the others.
struct DecodedWav {
    enum class SampleFormat { Int16, Float };

    int channels = 0;
    int sampleRate = 0;
    SampleFormat sampleFormat = SampleFormat::Float;
    QByteArray samples;
    [[nodiscard]] int bytesPerSample() const { return sampleFormat == SampleFormat::Int16 ? 2 : 4; }
    [[nodiscard]] qint64 frames() const;
    [[nodiscard]] double durationSeconds() const;
};

// Decodes a RIFF WAVE file with libsndfile, whatever encoding it holds: integer PCM of 8 to 32
// bits, 32- or 64-bit float, mu-law, A-law, IMA or MS ADPCM, GSM 6.10, with a plain or an
// extensible format chunk and any other chunks around the samples.
// std::nullopt for anything else: no file, a directory or a pipe, an empty file, a file cut short
// or whose chunks claim more bytes than it holds, a format chunk whose fields contradict each
// other, a sound file of another kind, or more than 8 channels or a rate outside 1 to 192 kHz,
// which the audio output would not take.
[[nodiscard]] std::optional<DecodedWav> decodeWav(const QString& path);

} // namespace trouvimo
