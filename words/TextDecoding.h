#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace trouvimo {

// The UTF-8 byte-order mark that editors put at the start of a file saved "as UTF-8".
inline constexpr QByteArrayView kUtf8Bom {"\xEF\xBB\xBF", 3};

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) and holds at least one multi-byte sequence. Pure ASCII says false: it reads the
// same either way, and a single-byte list must never be taken for UTF-8 by accident.
[[nodiscard]] bool looksLikeUtf8(QByteArrayView bytes);

// UTF-8 with every byte-order mark kept as U+FEFF (the caller drops the file's own) and each
// malformed sequence replaced by U+FFFD.
[[nodiscard]] QString decodeUtf8(QByteArrayView bytes);

// Windows-1252, one character per byte. The five bytes the code page leaves undefined become
// the control characters of the same value, as the Windows conversion does.
[[nodiscard]] QString decodeWindows1252(QByteArrayView bytes);

// The text in Windows-1252, decodeWindows1252() undone; std::nullopt when a character has no
// byte in the code page.
[[nodiscard]] std::optional<QByteArray> encodeWindows1252(QStringView text);

} // namespace trouvimo
