#include "words/TextDecoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace trouvimo {

namespace {

// 0x80..0x9F are the only bytes where Windows-1252 and Latin-1 differ.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

constexpr qsizetype kPieceBytes = 64 * 1024;

} // namespace

bool looksLikeUtf8(QByteArrayView bytes)
{
    // In pieces into one small buffer: a list of up to 16 MiB is not held a second time, twice
    // as large, for a yes or no. The decoder keeps a sequence cut between two pieces for the
    // next one; a line end after the last piece turns a sequence cut off at the very end into
    // an error. Qt's decoder refuses overlong forms, surrogates, code points above U+10FFFF, and
    // stray or missing continuation bytes.
    QStringDecoder decoder(QStringConverter::Utf8);
    std::vector<QChar> buffer(static_cast<std::size_t>(decoder.requiredSpace(kPieceBytes)));
    qsizetype units = 0;
    for (qsizetype at = 0; at < bytes.size(); at += kPieceBytes) {
        const QByteArrayView piece = bytes.sliced(at, std::min(kPieceBytes, bytes.size() - at));
        units += decoder.appendToBuffer(buffer.data(), piece) - buffer.data();
    }
    const QChar* end = decoder.appendToBuffer(buffer.data(), "\n");
    // Well-formed UTF-8 decodes to fewer UTF-16 units than it has bytes exactly when it holds a
    // multi-byte sequence.
    return !decoder.hasError() && units + (end - buffer.data()) - 1 < bytes.size();
}

QString decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom
                               | QStringConverter::Flag::Stateless);
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

std::optional<QByteArray> encodeWindows1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80U || (unit >= 0xA0U && unit <= 0xFFU)) {
            *out++ = static_cast<char>(unit);
            continue;
        }
        const auto* const found =
            std::find(kHighControlRange.begin(), kHighControlRange.end(), unit);
        if (found == kHighControlRange.end())
            return std::nullopt;
        *out++ = static_cast<char>(0x80 + (found - kHighControlRange.begin()));
    }
    return bytes;
}

} // namespace trouvimo
