#include "platform/sound/files/SoundFileStream.h"

#include "WavBuilder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sndfile.hh>

#include <cmath>
#include <numbers>
#include <vector>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace trouvimo;
using trouvimo::testing::WavBuilder;

Q_DECLARE_METATYPE(trouvimo::SoundFileStream::SampleFormat)

namespace {

// Channel c holds a sine of amplitude 0.5 / (c + 1) at 440 * (c + 1) Hz, so that channels that
// are swapped or wrongly interleaved show.
double toneValue(qint64 frame, int channel, int rate)
{
    const double harmonic = channel + 1;
    return 0.5 / harmonic
        * std::sin(2.0 * std::numbers::pi * 440.0 * harmonic * double(frame) / rate);
}

// The tone as the samples of a WAV file: unsigned 8-bit, signed integers of 16 to 32 bits, or
// 32-bit floats.
QByteArray encodedTone(int bits, bool floats, int channels, int rate, int frames)
{
    QByteArray bytes;
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double value = toneValue(frame, channel, rate);
            char sample[4];
            if (floats) {
                qToLittleEndian(static_cast<float>(value), sample);
            } else if (bits == 8) {
                sample[0] = static_cast<char>(std::lround(value * 127.0) + 128);
            } else {
                const double scale = std::ldexp(1.0, bits - 1) - 1.0;
                qToLittleEndian(static_cast<qint32>(std::lround(value * scale)), sample);
            }
            bytes.append(sample, floats ? 4 : bits / 8);
        }
    }
    return bytes;
}

// The tone written by libsndfile itself, in one of the encodings it writes into a WAV file.
bool writeTone(const QString& path, int format, int channels, int rate, int frames)
{
    SndfileHandle file(QFile::encodeName(path).constData(), SFM_WRITE, format, channels, rate);
    std::vector<float> samples;
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel)
            samples.push_back(static_cast<float>(toneValue(frame, channel, rate)));
    }
    return file.rawHandle() != nullptr && file.writef(samples.data(), frames) == frames;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class WavFileTest : public QObject {
    Q_OBJECT

private slots:
    void decodesEveryEncoding_data();
    void decodesEveryEncoding();
    void refusesBrokenFiles_data();
    void refusesBrokenFiles();
    void refusesWhatIsNoFile();

private:
    QString pathFor(const char* row) const { return m_dir.filePath(QString::fromLatin1(row)); }

    QTemporaryDir m_dir;
};

void WavFileTest::decodesEveryEncoding_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("frames");
    // The largest root-mean-square difference from the tone that the encoding's precision allows.
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<SoundFileStream::SampleFormat>("expectedFormat");
    constexpr auto int16 = SoundFileStream::SampleFormat::Int16;
    constexpr auto floating = SoundFileStream::SampleFormat::Float;

    auto built = [this](const char* row, WavBuilder wav, bool floats, int frames, double tolerance,
                        SoundFileStream::SampleFormat format) {
        wav.samples = encodedTone(wav.bitsPerSample, floats, wav.channels,
                                  static_cast<int>(wav.sampleRate), frames);
        QVERIFY(wav.writeTo(pathFor(row)));
        QTest::newRow(row) << pathFor(row) << int(wav.channels) << int(wav.sampleRate) << frames
                           << tolerance << format;
    };
    WavBuilder mono16;
    built("16-bit mono", mono16, false, 2205, 1e-4, int16);
    WavBuilder stereo8;
    stereo8.channels = 2;
    stereo8.bitsPerSample = 8;
    stereo8.sampleRate = 11025;
    built("8-bit stereo", stereo8, false, 11025, 0.01, int16);
    WavBuilder odd8 = stereo8;
    odd8.channels = 1;
    built("8-bit, odd data length, padded", odd8, false, 801, 0.01, int16);
    WavBuilder mono24;
    mono24.bitsPerSample = 24;
    built("24-bit", mono24, false, 300, 1e-6, floating);
    WavBuilder floats;
    floats.formatTag = 3;
    floats.bitsPerSample = 32;
    floats.sampleRate = 8000;
    built("32-bit float", floats, true, 2000, 1e-6, floating);

    // A JUNK chunk before the format and a LIST chunk of odd length, so padded, after it.
    WavBuilder withChunks;
    withChunks.samples = encodedTone(16, false, 1, 22050, 2205);
    QByteArray bytes = withChunks.bytes();
    bytes.insert(12 + 8 + 16, QByteArray("LIST") + QByteArray("\x05\0\0\0", 4) + "INFOx" + '\0');
    bytes.insert(12, QByteArray("JUNK") + QByteArray("\x03\0\0\0", 4) + "abc" + '\0');
    QVERIFY(WavBuilder::writeFile(pathFor("other chunks"), bytes));
    QTest::newRow("other chunks") << pathFor("other chunks") << 1 << 22050 << 2205 << 1e-4 << int16;

    auto written = [this](const char* row, int format, int channels, double tolerance,
                          SoundFileStream::SampleFormat decoded) {
        QVERIFY(writeTone(pathFor(row), format, channels, 22050, 2205));
        QTest::newRow(row) << pathFor(row) << channels << 22050 << 2205 << tolerance << decoded;
    };
    written("32-bit PCM", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 1e-6, floating);
    written("64-bit float", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, 1e-6, floating);
    written("mu-law", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 0.01, int16);
    written("A-law", SF_FORMAT_WAV | SF_FORMAT_ALAW, 1, 0.01, int16);
    written("IMA ADPCM", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, 0.05, int16);
    written("MS ADPCM stereo", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 2, 0.05, int16);
    written("extensible 24-bit stereo", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2, 1e-6, floating);
    written("extensible float", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 1, 1e-6, floating);
    // A family's recordings of words may also be FLAC or Ogg Vorbis.
    written("FLAC stereo", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 1e-4, int16);
    written("Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 0.05, floating);
}

void WavFileTest::decodesEveryEncoding()
{
    QFETCH(QString, path);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, frames);
    QFETCH(double, tolerance);
    QFETCH(SoundFileStream::SampleFormat, expectedFormat);

    const std::unique_ptr<SoundFileStream> wav = SoundFileStream::open(path);
    QVERIFY(wav != nullptr);
    QCOMPARE(wav->channels(), channels);
    QCOMPARE(wav->sampleRate(), rate);
    // The block codecs fill their last block up with silence.
    QVERIFY2(wav->frames() >= frames, qPrintable(u"%1 frames"_s.arg(wav->frames())));
    QCOMPARE(wav->durationSeconds(), double(wav->frames()) / rate);

    QCOMPARE(wav->sampleFormat(), expectedFormat);
    // The audio output reads in pieces of its own choosing, which may end inside a frame.
    QByteArray samples;
    for (QByteArray piece; !(piece = wav->read(7)).isEmpty();)
        samples += piece;
    QCOMPARE(samples.size(), wav->size());
    const auto sample = [&wav, &samples](qsizetype index) {
        if (wav->sampleFormat() == SoundFileStream::SampleFormat::Int16)
            return reinterpret_cast<const qint16*>(samples.constData())[index] / 32768.0;
        return double {reinterpret_cast<const float*>(samples.constData())[index]};
    };
    for (int channel = 0; channel < channels; ++channel) {
        double squares = 0.0;
        for (int frame = 0; frame < frames; ++frame) {
            const double error =
                sample(qsizetype(frame) * channels + channel) - toneValue(frame, channel, rate);
            squares += error * error;
        }
        const double rms = std::sqrt(squares / frames);
        QVERIFY2(rms <= tolerance, qPrintable(u"channel %1 is off by %2"_s.arg(channel).arg(rms)));
    }
}

void WavFileTest::refusesBrokenFiles_data()
{
    QTest::addColumn<QByteArray>("contents");

    WavBuilder good;
    good.samples = WavBuilder::tone(0.1, 0.5);
    const QByteArray whole = good.bytes();

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text named .wav") << QByteArray("This is not a sound at all.\n");
    QTest::newRow("header only") << whole.left(44);
    QTest::newRow("cut inside the samples") << whole.left(whole.size() / 2);
    QTest::newRow("cut inside the format chunk") << whole.left(20);
    QTest::newRow("RIFF of another kind") << QByteArray(whole).replace(8, 4, "AVI ");
    const QString aiff = m_dir.filePath(u"aiff.wav"_s);
    QVERIFY(writeTone(aiff, SF_FORMAT_AIFF | SF_FORMAT_IMA_ADPCM, 1, 22050, 2205));
    QTest::newRow("ADPCM AIFF named .wav") << contentsOf(aiff);

    auto lie = [&good](auto change) {
        WavBuilder wav = good;
        change(wav);
        return wav.bytes();
    };
    QTest::newRow("data size larger than the file")
        << lie([](WavBuilder& w) { w.declaredDataBytes = 100000000; });
    QTest::newRow("no samples") << lie([](WavBuilder& w) { w.samples.clear(); });
    QTest::newRow("ADPCM tag on plain samples") << lie([](WavBuilder& w) { w.formatTag = 2; });
    QTest::newRow("no channel") << lie([](WavBuilder& w) { w.channels = 0; });
    QTest::newRow("absurd channel count") << lie([](WavBuilder& w) { w.channels = 300; });
    QTest::newRow("no sample rate") << lie([](WavBuilder& w) { w.sampleRate = 0; });
    QTest::newRow("byte rate that lies") << lie([](WavBuilder& w) { w.byteRate = 1; });
    QTest::newRow("block align that lies") << lie([](WavBuilder& w) { w.blockAlign = 7; });
    QTest::newRow("sample width that lies") << lie([](WavBuilder& w) {
        w.bitsPerSample = 8;
        w.blockAlign = 2;
        w.byteRate = 2 * w.sampleRate;
    });
    QTest::newRow("samples before the format")
        << lie([](WavBuilder& w) { w.dataBeforeFormat = true; });
}

void WavFileTest::refusesBrokenFiles()
{
    QFETCH(QByteArray, contents);
    const QString path = m_dir.filePath(u"broken.wav"_s);
    QVERIFY(WavBuilder::writeFile(path, contents));
    QCOMPARE(SoundFileStream::open(path) == nullptr, true);
}

void WavFileTest::refusesWhatIsNoFile()
{
    QCOMPARE(SoundFileStream::open(m_dir.filePath(u"missing.wav"_s)) == nullptr, true);
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.wav"_s));
    QCOMPARE(SoundFileStream::open(m_dir.filePath(u"folder.wav"_s)) == nullptr, true);
    const QString pipe = m_dir.filePath(u"pipe.wav"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(SoundFileStream::open(pipe) == nullptr, true);
    QCOMPARE(SoundFileStream::open(QString()) == nullptr, true);
}

QTEST_GUILESS_MAIN(WavFileTest)
#include "tst_wavfile.moc"
