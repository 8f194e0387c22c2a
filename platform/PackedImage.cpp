#include "platform/PackedImage.h"

#include <QResource>
#include <QtEndian>

#include <array>
#include <cstdint>

namespace trouvimo {

namespace {

constexpr QByteArrayView magic("TRVPIX01");
constexpr qsizetype headerSize = 24;
constexpr quint32 largestSide = 16384;

enum class PixelFormat : quint32 { Rgb32 = 1, Argb32Premultiplied = 2 };

QImage::Format qtFormat(quint32 format)
{
    switch (static_cast<PixelFormat>(format)) {
    case PixelFormat::Rgb32:
        return QImage::Format_RGB32;
    case PixelFormat::Argb32Premultiplied:
        return QImage::Format_ARGB32_Premultiplied;
    }
    return QImage::Format_Invalid;
}

quint32 numberAt(QByteArrayView bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.data() + offset);
}

} // namespace

QByteArray packImage(const QImage& image)
{
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels = image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied
                                                      : QImage::Format_RGB32);
    const auto width = static_cast<quint32>(pixels.width());
    const auto height = static_cast<quint32>(pixels.height());
    const quint32 bytesPerLine = width * 4;
    const auto format = static_cast<quint32>(alpha ? PixelFormat::Argb32Premultiplied
                                                   : PixelFormat::Rgb32);

    QByteArray packed(magic.data(), magic.size());
    for (const quint32 number : { width, height, bytesPerLine, format }) {
        std::array<char, 4> little {};
        qToLittleEndian(number, little.data());
        packed.append(little.data(), little.size());
    }
    packed.reserve(headerSize + static_cast<qsizetype>(bytesPerLine) * pixels.height());
    for (int row = 0; row < pixels.height(); ++row)
        packed.append(reinterpret_cast<const char*>(pixels.constScanLine(row)), bytesPerLine);
    return packed;
}

QImage unpackImage(QByteArrayView packed)
{
    if (packed.size() < headerSize || !packed.startsWith(magic))
        return {};
    const quint32 width = numberAt(packed, 8);
    const quint32 height = numberAt(packed, 12);
    const quint32 bytesPerLine = numberAt(packed, 16);
    const QImage::Format format = qtFormat(numberAt(packed, 20));
    if (width == 0 || height == 0 || width > largestSide || height > largestSide
        || bytesPerLine != width * 4 || format == QImage::Format_Invalid)
        return {};
    if (packed.size() - headerSize != static_cast<qsizetype>(bytesPerLine) * height)
        return {};

    const auto* pixels = reinterpret_cast<const uchar*>(packed.data() + headerSize);
    const QImage shared(pixels, static_cast<int>(width), static_cast<int>(height),
                        static_cast<qsizetype>(bytesPerLine), format);
    // Pixels are read as 32-bit words; bytes that do not lie on a word boundary are copied.
    if (reinterpret_cast<std::uintptr_t>(pixels) % alignof(quint32) != 0)
        return shared.copy();
    return shared;
}

QImage packedResourceImage(const QString& path)
{
    const QResource resource(path);
    if (!resource.isValid())
        return {};
    if (resource.compressionAlgorithm() != QResource::NoCompression) {
        const QByteArray bytes = resource.uncompressedData();
        return unpackImage(bytes).copy();
    }
    return unpackImage(QByteArrayView(resource.data(), resource.size()));
}

} // namespace trouvimo
