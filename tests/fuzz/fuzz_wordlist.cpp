// Feeds arbitrary bytes to the word-list parser and its line count, and checks their results
// against a plain byte-level reading of the line rules, and against Qt's own UTF-8 decoder and
// normaliser.

#include "words/WordList.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr qsizetype kMaxLines = 32767;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "word-list check failed: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what)
{
    if (!condition)
        fail(what);
}

struct Split {
    std::vector<QByteArrayView> lines;
    qsizetype takenEnd = 0; // where the bytes of the lines that may be taken end
};

// The rules on the bytes: CR ends a line, an LF right after it is part of that line end, and
// where no CR LF exists at all an LF ends a line too; the text after the last line end is a line
// only when it is not empty.
Split splitLines(QByteArrayView bytes, bool lfEndsLines)
{
    Split split;
    qsizetype start = 0;
    for (;;) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && !(lfEndsLines && bytes[end] == '\n'))
            ++end;
        if (end == bytes.size())
            break;
        split.lines.push_back(bytes.sliced(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
        if (static_cast<qsizetype>(split.lines.size()) == kMaxLines)
            split.takenEnd = start;
    }
    if (start < bytes.size())
        split.lines.push_back(bytes.sliced(start));
    if (static_cast<qsizetype>(split.lines.size()) <= kMaxLines)
        split.takenEnd = bytes.size();
    return split;
}

QByteArrayView trimmed(QByteArrayView line)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!line.empty() && blank(line.front()))
        line = line.sliced(1);
    while (!line.empty() && blank(line.back()))
        line.chop(1);
    return line;
}

bool hasHighByte(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80U)
            return true;
    }
    return false;
}

bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom
                               | QStringConverter::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

QString utf8Line(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom
                               | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

void checkWindows1252(QByteArrayView line, const QString& entry)
{
    check(entry.size() == line.size(), "one character per byte");
    for (qsizetype j = 0; j < line.size(); ++j) {
        const auto byte = static_cast<unsigned char>(line[j]);
        const char16_t ch = entry[j].unicode();
        if (byte < 0x80U || byte >= 0xA0U)
            check(ch == byte, "ASCII and Latin-1 bytes keep their value");
        else
            check(ch == byte || ch > 0xFFU, "0x80..0x9F map to themselves or beyond Latin-1");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(data, static_cast<qsizetype>(size));

    const QString keptEntry = QStringLiteral("kept");
    trouvimo::WordTable table {{keptEntry, QStringLiteral("old")}, 77, {}};
    const trouvimo::ListStatus status = trouvimo::parseWordList(input, table);

    const QByteArrayView bom("\xEF\xBB\xBF", 3);
    const bool marked = input.startsWith(bom);
    const QByteArrayView body = marked ? input.sliced(bom.size()) : input;
    const bool crLf = body.contains(QByteArrayView("\r\n"));
    const bool lfEndsLines = !crLf && body.contains('\n');
    const Split split = splitLines(body, lfEndsLines);
    const auto lineCount = static_cast<qsizetype>(split.lines.size());
    const qsizetype expected = std::min(lineCount, kMaxLines);

    check(status != trouvimo::ListStatus::Missing, "bytes in memory are never missing");
    check(trouvimo::countListLines(input) == lineCount, "every line counted, past the cap too");
    check((status == trouvimo::ListStatus::Stopped) == (lineCount > kMaxLines),
          "stopped exactly when a 32768th line exists");
    check(table.count == expected, "one entry per line, at most 32767");
    if (expected == 0) {
        check(table.entries.size() == 2 && table.entries[0] == keptEntry,
              "no line leaves the table as it was");
        return 0;
    }
    check(table.entries.size() == expected + 1, "entries 0..count");
    check(table.entries[0] == keptEntry, "entry 0 keeps what it held");

    const QByteArrayView taken = body.first(split.takenEnd);
    const bool utf8 = marked || (hasHighByte(taken) && validUtf8(taken));
    using trouvimo::LineEnds;
    const LineEnds lineEnds = crLf ? LineEnds::CrLf
        : lfEndsLines              ? LineEnds::Lf
        : body.contains('\r')      ? LineEnds::Cr
                                   : LineEnds::None;
    check(table.format.lineEnds == lineEnds, "line ends told");
    check((table.format.encoding == trouvimo::ListEncoding::Windows1252) == !utf8, "encoding told");
    for (qsizetype i = 0; i < expected; ++i) {
        const QString& entry = table.entries[i + 1];
        const QByteArrayView line = trimmed(split.lines[static_cast<std::size_t>(i)]);
        check(!entry.contains(QChar(u'\r')), "no entry holds a CR");
        check(!lfEndsLines || !entry.contains(QChar(u'\n')), "no entry holds its line end");
        if (!hasHighByte(line))
            check(entry == QString::fromLatin1(line.data(), line.size()),
                  "ASCII words are the lines without the spaces and tabs around them");
        else if (!utf8)
            checkWindows1252(line, entry);
        else if (!marked || validUtf8(taken))
            check(entry == utf8Line(line).normalized(QString::NormalizationForm_C),
                  "UTF-8 words decode as UTF-8, composed");
    }
    return 0;
}
