#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <numbers>
#include <optional>

namespace trouvimo::testing {

// Builds WAV files for the tests, well formed by default, with any field open to a lie.
struct WavBuilder {
    quint16 formatTag = 1;
    quint16 channels = 1;
    quint32 sampleRate = 22050;
    quint16 bitsPerSample = 16;
    std::optional<quint32> byteRate;
    std::optional<quint16> blockAlign;
    std::optional<quint32> declaredDataBytes;
    bool dataBeforeFormat = false;
    QByteArray samples;

    // A sine tone at the given amplitude (0 to 1), 16-bit.
    static QByteArray tone(double seconds, double amplitude, quint32 rate = 22050,
                           double frequency = 440.0)
    {
        const auto count = static_cast<int>(seconds * rate);
        QByteArray bytes(count * 2, Qt::Uninitialized);
        for (int i = 0; i < count; ++i) {
            const double value =
                amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / rate);
            qToLittleEndian(static_cast<qint16>(std::lround(value * 32767.0)),
                            bytes.data() + 2 * i);
        }
        return bytes;
    }

    QByteArray bytes() const
    {
        const quint16 frameBytes = static_cast<quint16>(channels * bitsPerSample / 8);
        QByteArray format;
        appendU16(format, formatTag);
        appendU16(format, channels);
        appendU32(format, sampleRate);
        appendU32(format, byteRate.value_or(frameBytes * sampleRate));
        appendU16(format, blockAlign.value_or(frameBytes));
        appendU16(format, bitsPerSample);

        QByteArray formatChunk = "fmt ";
        appendU32(formatChunk, static_cast<quint32>(format.size()));
        formatChunk += format;
        QByteArray dataChunk = "data";
        appendU32(dataChunk, declaredDataBytes.value_or(static_cast<quint32>(samples.size())));
        dataChunk += samples;
        if (samples.size() % 2 != 0)
            dataChunk += '\0';

        const QByteArray body =
            dataBeforeFormat ? dataChunk + formatChunk : formatChunk + dataChunk;
        QByteArray file = "RIFF";
        appendU32(file, static_cast<quint32>(4 + body.size()));
        file += "WAVE";
        return file + body;
    }

    bool writeTo(const QString& path) const { return writeFile(path, bytes()); }

    static bool writeFile(const QString& path, const QByteArray& contents)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    }

private:
    static void appendU16(QByteArray& to, quint16 value)
    {
        char bytes[2];
        qToLittleEndian(value, bytes);
        to.append(bytes, 2);
    }
    static void appendU32(QByteArray& to, quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        to.append(bytes, 4);
    }
};

} // namespace trouvimo::testing
