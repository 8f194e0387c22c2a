#include "platform/WavFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>


namespace trouvimo {

namespace {

constexpr quint16 formatPcm = 1;
constexpr quint16 formatFloat = 3;
constexpr quint16 formatExtensible = 0xFFFE;
constexpr int riffHeaderBytes = 12;
constexpr int chunkHeaderBytes = 8;
constexpr int shortestFormatChunk = 16;
// The extensible format chunk carries the real format tag in the first bytes of its sub-format.
constexpr int extensibleSubFormatOffset = 24;
constexpr int longestFormatChunkRead = 40;

struct FormatChunk {
    quint16 formatTag = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
};

quint16 readU16(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 readU32(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

std::optional<FormatChunk> parseFormat(const QByteArray& bytes)
{
    if (bytes.size() < shortestFormatChunk)
        return std::nullopt;
    FormatChunk format;
    format.formatTag = readU16(bytes, 0);
    format.channels = readU16(bytes, 2);
    format.sampleRate = readU32(bytes, 4);
    format.byteRate = readU32(bytes, 8);
    format.blockAlign = readU16(bytes, 12);
    format.bitsPerSample = readU16(bytes, 14);
    if (format.formatTag == formatExtensible) {
        if (bytes.size() < extensibleSubFormatOffset + 2)
            return std::nullopt;
        format.formatTag = readU16(bytes, extensibleSubFormatOffset);
    }
    return format;
}

bool isPlayable(const FormatChunk& format)
{
    const bool supportedSamples
        = (format.formatTag == formatPcm
           && (format.bitsPerSample == 8 || format.bitsPerSample == 16
               || format.bitsPerSample == 32))
        || (format.formatTag == formatFloat && format.bitsPerSample == 32);
    const quint32 frameBytes = quint32(format.channels) * format.bitsPerSample / 8;
    return supportedSamples && format.channels >= 1 && format.channels <= 8
        && format.sampleRate >= 1000 && format.sampleRate <= 192000
        && format.blockAlign == frameBytes && format.byteRate == frameBytes * format.sampleRate;
}

} // namespace

double WavInfo::durationSeconds() const
{
    const qint64 bytesPerSecond = qint64(channels) * bitsPerSample / 8 * sampleRate;
    return bytesPerSecond > 0 ? static_cast<double>(dataBytes) / static_cast<double>(bytesPerSecond)
                              : 0.0;
}

std::optional<WavInfo> inspectWav(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;

    const QByteArray riff = file.read(riffHeaderBytes);
    if (riff.size() != riffHeaderBytes || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;

    std::optional<FormatChunk> format;
    const qint64 fileSize = file.size();
    qint64 position = riffHeaderBytes;
    while (position + chunkHeaderBytes <= fileSize) {
        if (!file.seek(position))
            return std::nullopt;
        const QByteArray header = file.read(chunkHeaderBytes);
        if (header.size() != chunkHeaderBytes)
            return std::nullopt;
        const QByteArray id = header.left(4);
        const qint64 size = readU32(header, 4);
        const qint64 body = position + chunkHeaderBytes;
        if (size > fileSize - body)
            return std::nullopt;

        if (id == "fmt ") {
            format = parseFormat(file.read(std::min<qint64>(size, longestFormatChunkRead)));
            if (!format || !isPlayable(*format))
                return std::nullopt;
        } else if (id == "data") {
            if (!format || size < format->blockAlign)
                return std::nullopt;
            return WavInfo{format->channels, static_cast<int>(format->sampleRate),
                           format->bitsPerSample, format->formatTag == formatFloat, body, size};
        }
        // Chunks are padded to an even length.
        position = body + size + (size % 2);
    }
    return std::nullopt;
}

std::optional<WavSound> readWav(const QString& path)
{
    const std::optional<WavInfo> info = inspectWav(path);
    if (!info)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(info->dataOffset))
        return std::nullopt;
    QByteArray samples = file.read(info->dataBytes);
    if (samples.size() != info->dataBytes)
        return std::nullopt;
    return WavSound{*info, std::move(samples)};
}

} // namespace trouvimo
