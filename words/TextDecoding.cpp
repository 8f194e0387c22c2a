#include "words/TextDecoding.h"

#include <QStringDecoder>

#include <array>
#include <cstdint>

namespace trouvimo {

namespace {

// 0x80..0x9F are the only bytes where Windows-1252 and Latin-1 differ.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

constexpr bool isContinuation(std::uint8_t byte)
{
    return (byte & 0xC0U) == 0x80U;
}

} // namespace

bool looksLikeUtf8(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const qsizetype size = bytes.size();
    bool multiByte = false;
    qsizetype i = 0;
    while (i < size) {
        const std::uint8_t lead = data[i];
        if (lead < 0x80U) {
            ++i;
            continue;
        }
        // The second byte's range is what rules out overlong forms (E0, F0), the surrogates
        // (ED) and code points above U+10FFFF (F4); C0, C1 and F5..FF never start a sequence.
        qsizetype length = 0;
        std::uint8_t low = 0x80U;
        std::uint8_t high = 0xBFU;
        if (lead >= 0xC2U && lead <= 0xDFU) {
            length = 2;
        } else if (lead >= 0xE0U && lead <= 0xEFU) {
            length = 3;
            if (lead == 0xE0U)
                low = 0xA0U;
            else if (lead == 0xEDU)
                high = 0x9FU;
        } else if (lead >= 0xF0U && lead <= 0xF4U) {
            length = 4;
            if (lead == 0xF0U)
                low = 0x90U;
            else if (lead == 0xF4U)
                high = 0x8FU;
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        const std::uint8_t second = data[i + 1];
        if (second < low || second > high)
            return false;
        for (qsizetype k = 2; k < length; ++k) {
            if (!isContinuation(data[i + k]))
                return false;
        }
        multiByte = true;
        i += length;
    }
    return multiByte;
}

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
        QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        *out++ = byte >= 0x80U && byte < 0xA0U ? kHighControlRange[byte - 0x80U]
                                               : static_cast<char16_t>(byte);
    }
    return text;
}

} // namespace trouvimo
