#pragma once

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

#include <sndfile.hh>

#include <memory>

namespace trouvimo {

// A sound file opened for playing: its format, and its samples decoded from the file as the audio
// output reads them, channels interleaved, at the file's own rate, so that no sound is ever held in
// memory whole. 16-bit integers for the encodings of 16 bits or fewer, which lose nothing in them,
// and 32-bit float samples in [-1, 1] for the others. Reads of any size are served, also ones that
// end in the middle of a frame.
class SoundFileStream final : public QIODevice {
public:
    enum class SampleFormat { Int16, Float };

    // Opens a sound file with libsndfile: a RIFF WAVE file whatever encoding it holds (integer
    // PCM of 8 to 32 bits, 32- or 64-bit float, mu-law, A-law, IMA or MS ADPCM, GSM 6.10, with a
    // plain or an extensible format chunk and any other chunks around the samples), a FLAC file
    // or an Ogg Vorbis file, which a family's recordings may be.
    // nullptr for anything else: no file, a directory or a pipe, an empty file, a WAV file cut
    // short or whose chunks claim more bytes than it holds, a format chunk whose fields
    // contradict each other, a sound file of another kind, or more than 8 channels or a rate
    // outside 1 to 192 kHz, which the audio output would not take.
    [[nodiscard]] static std::unique_ptr<SoundFileStream> open(const QString& path);

    [[nodiscard]] int channels() const { return m_file.channels(); }
    [[nodiscard]] int sampleRate() const { return m_file.samplerate(); }
    [[nodiscard]] SampleFormat sampleFormat() const { return m_sampleFormat; }
    [[nodiscard]] qint64 frames() const { return m_file.frames(); }
    [[nodiscard]] double durationSeconds() const;

    [[nodiscard]] qint64 size() const override { return frames() * m_frameBytes; }
    bool seek(qint64 position) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    explicit SoundFileStream(const QString& path);
    qint64 readFrames(char* data, qint64 count);

    // What libsndfile reads the file through; declared before the handle, which goes first.
    std::unique_ptr<QFile> m_source;
    SndfileHandle m_file;
    SampleFormat m_sampleFormat = SampleFormat::Float;
    qint64 m_frameBytes = 0;
    // The rest of a frame whose start an earlier read took.
    QByteArray m_carry;
};

} // namespace trouvimo
