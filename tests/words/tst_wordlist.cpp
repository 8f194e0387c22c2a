#include "words/TextDecoding.h"
#include "words/WordList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using trouvimo::LineEnds;
using trouvimo::ListEncoding;
using trouvimo::ListStatus;
using trouvimo::WordTable;

namespace {

// Every byte from 0x80 to 0x9F as Windows shows it, the five undefined ones as the control
// characters of the same value.
const QString kWindows1252HighRange =
    u"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"_s;

QByteArray highRangeBytes()
{
    QByteArray bytes;
    for (int b = 0x80; b < 0xA0; ++b)
        bytes.append(static_cast<char>(b));
    return bytes;
}

const QByteArray kUtf8BomBytes = trouvimo::kUtf8Bom.toByteArray();

QByteArray numberedLines(int count, QByteArrayView lineEnd)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        bytes.append('w');
        bytes.append(QByteArray::number(i));
        bytes.append(lineEnd);
    }
    return bytes;
}

QStringList entriesOf(const WordTable& table)
{
    return QStringList(table.entries.begin() + 1, table.entries.end());
}

} // namespace

class TestWordList : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCount = 0;

    QString writeFile(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(u"list%1.txt"_s.arg(++m_fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test list");
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void lineRulesAndDecoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");

        const auto row = [](const char* name, QByteArray bytes, QStringList entries) {
            QTest::newRow(name) << bytes << entries;
        };
        row("one word without line end", "chat", {u"chat"_s});
        row("final CR LF adds nothing", "chat\r\nchien\r\n", {u"chat"_s, u"chien"_s});
        row("CR LF CR LF makes an empty entry", "chat\r\n\r\n", {u"chat"_s, QString()});
        row("empty line between words", "a\r\n\r\nb", {u"a"_s, QString(), u"b"_s});
        row("CR alone ends a line", "a\rb\r", {u"a"_s, u"b"_s});
        row("LF alone in a CR LF list is a character", "un\ndeux\r\ntrois\n",
            {u"un\ndeux"_s, u"trois\n"_s});
        row("LF before CR stays in the line", "a\n\rb\r\n", {u"a\n"_s, u"b"_s});
        row("only the first LF after CR is eaten", "a\r\n\nb", {u"a"_s, u"\nb"_s});
        row("LF line ends", "un\ndeux\ntrois\n", {u"un"_s, u"deux"_s, u"trois"_s});
        row("LF line ends and an empty line", "a\n\nb", {u"a"_s, QString(), u"b"_s});
        row("without CR LF, CR and LF both end lines", "a\rb\nc\n\r",
            {u"a"_s, u"b"_s, u"c"_s, QString()});
        row("LF list with stray spaces", "chat \n\tchien\n", {u"chat"_s, u"chien"_s});
        row("CR CR LF", "a\r\r\nb", {u"a"_s, QString(), u"b"_s});
        row("a lone line end", "\r\n", {QString()});
        row("two line ends", "\r\n\r\n", {QString(), QString()});
        row("spaces and tabs around a word go, capitals and inner spaces stay",
            " Chat \r\n  LOUP\t\r\n\t a b \r\n", {u"Chat"_s, u"LOUP"_s, u"a b"_s});
        row("spaces only make an empty entry", " \t \r\nx", {QString(), u"x"_s});
        row("NUL is a character", QByteArray("a\0b", 3), {QString(u"a\0b"_s)});
        row("Windows-1252 accents", "\xE9t\xE9\r\n\xC7\xE0 \xFF", {u"été"_s, u"Çà ÿ"_s});
        row("Windows-1252 0x80 to 0x9F", highRangeBytes(), {kWindows1252HighRange});
        row("Latin-1 range", "\xA0\xAB\xBB\xC6\xD7\xDF\xF7", {u"\u00A0«»Æ×ß÷"_s});
        row("UTF-8 without mark", "caf\xC3\xA9\r\nna\xC3\xAFve", {u"café"_s, u"naïve"_s});
        row("UTF-8 four-byte sequence", "\xF0\x9F\x98\x80!", {u"\U0001F600!"_s});
        row("decomposed UTF-8 is composed", "e\xCC\x81te\xCC\x81 \nE\xCC\x81T\xC3\x89",
            {u"\u00E9t\u00E9"_s, u"\u00C9T\u00C9"_s});
        row("decomposed after a mark",
            "\xEF\xBB\xBF"
            "Ou\xCC\x88",
            {u"O\u00FC"_s});
        row("UTF-8 mark is not text",
            "\xEF\xBB\xBF"
            "chat\r\nchien",
            {u"chat"_s, u"chien"_s});
        row("UTF-8 mark before ASCII", "\xEF\xBB\xBF\r\nx", {QString(), u"x"_s});
        row("UTF-8 mark then invalid bytes", "\xEF\xBB\xBF\xE9t\xE9", {u"\uFFFDt\uFFFD"_s});
        row("only the first mark is dropped", "\xEF\xBB\xBF\xEF\xBB\xBFx", {u"\uFEFFx"_s});
        row("one bad byte makes it Windows-1252", "caf\xC3\xA9\r\n\xE9t\xE9",
            {u"cafÃ©"_s, u"été"_s});
        row("overlong form is not UTF-8", "\xC0\xAF\xC3\xA9", {u"À¯Ã©"_s});
        row("surrogate is not UTF-8", "\xED\xA0\x80", {u"í\u00A0€"_s});
        row("beyond U+10FFFF is not UTF-8", "\xF4\x90\x80\x80", {u"ô\u0090€€"_s});
        row("cut sequence at the end", "\xC3\xA9\xC3", {u"Ã©Ã"_s});
        row("CR inside a would-be sequence", "\xC3\r\xA9", {u"Ã"_s, u"©"_s});
    }

    void lineRulesAndDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);

        WordTable parsed;
        QCOMPARE(trouvimo::parseWordList(bytes, parsed), ListStatus::Read);
        QCOMPARE(parsed.count, entries.size());
        QCOMPARE(parsed.entries.size(), entries.size() + 1);
        QCOMPARE(parsed.entries.first(), QString());
        QCOMPARE(entriesOf(parsed), entries);

        WordTable read;
        QCOMPARE(trouvimo::readWordList(writeFile(bytes), read), ListStatus::Read);
        QCOMPARE(read.count, parsed.count);
        QCOMPARE(read.entries, parsed.entries);
    }

    void listFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ListEncoding>("encoding");
        QTest::addColumn<LineEnds>("lineEnds");

        QTest::newRow("stored list")
            << QByteArray("\xE9t\xE9\r\nchat\r\n") << ListEncoding::Windows1252 << LineEnds::CrLf;
        QTest::newRow("one CR LF among LFs")
            << QByteArray("a\nb\nc\r\n") << ListEncoding::Windows1252 << LineEnds::CrLf;
        QTest::newRow("LF") << QByteArray("caf\xC3\xA9\n") << ListEncoding::Utf8 << LineEnds::Lf;
        QTest::newRow("LF and CR")
            << QByteArray("a\rb\n") << ListEncoding::Windows1252 << LineEnds::Lf;
        QTest::newRow("CR") << QByteArray("\xEF\xBB\xBF"
                                          "a\rb")
                            << ListEncoding::Utf8WithMark << LineEnds::Cr;
        QTest::newRow("one line") << QByteArray("chat") << ListEncoding::Windows1252
                                  << LineEnds::None;
    }

    void listFormat()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(ListEncoding, encoding);
        QFETCH(LineEnds, lineEnds);
        WordTable table;
        QCOMPARE(trouvimo::readWordList(writeFile(bytes), table), ListStatus::Read);
        QCOMPARE(table.format.encoding, encoding);
        QCOMPARE(table.format.lineEnds, lineEnds);
    }

    void utf8Validator_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");

        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("ASCII only") << QByteArray("plain \x7F") << false;
        QTest::newRow("U+0080") << QByteArray("\xC2\x80") << true;
        QTest::newRow("U+07FF") << QByteArray("\xDF\xBF") << true;
        QTest::newRow("C0 overlong") << QByteArray("\xC0\x80") << false;
        QTest::newRow("C1 overlong") << QByteArray("\xC1\xBF") << false;
        QTest::newRow("U+0800") << QByteArray("\xE0\xA0\x80") << true;
        QTest::newRow("E0 overlong") << QByteArray("\xE0\x9F\xBF") << false;
        QTest::newRow("U+D7FF") << QByteArray("\xED\x9F\xBF") << true;
        QTest::newRow("U+D800") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("U+DFFF") << QByteArray("\xED\xBF\xBF") << false;
        QTest::newRow("U+E000") << QByteArray("\xEE\x80\x80") << true;
        QTest::newRow("U+FFFF") << QByteArray("\xEF\xBF\xBF") << true;
        QTest::newRow("U+10000") << QByteArray("\xF0\x90\x80\x80") << true;
        QTest::newRow("F0 overlong") << QByteArray("\xF0\x8F\xBF\xBF") << false;
        QTest::newRow("U+10FFFF") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("U+110000") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << false;
        QTest::newRow("FF byte") << QByteArray("a\xC3\xA9\xFF") << false;
        QTest::newRow("lone continuation") << QByteArray("\xC3\xA9\x80") << false;
        QTest::newRow("bad third byte") << QByteArray("\xE2\x82\x41") << false;
        QTest::newRow("bad fourth byte") << QByteArray("\xF0\x9F\x98\xC3") << false;
        QTest::newRow("truncated at end") << QByteArray("\xC3\xA9\xE2\x82") << false;
        QTest::newRow("lone lead byte at end") << QByteArray("\xC3\xA9\xF0") << false;
        QTest::newRow("byte-order mark, then ASCII") << QByteArray("\xEF\xBB\xBFplain") << true;
        QTest::newRow("mixed text") << QByteArray("na\xC3\xAFve \xE2\x82\xAC") << true;
    }

    void utf8Validator()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        QCOMPARE(trouvimo::looksLikeUtf8(bytes), utf8);
    }

    void emptyInputLeavesTableAlone_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("only a UTF-8 mark") << QByteArray("\xEF\xBB\xBF");
    }

    void emptyInputLeavesTableAlone()
    {
        QFETCH(QByteArray, bytes);
        WordTable table {{QString(), u"old"_s, u"older"_s}, 2, {}};
        const QList<QString> before = table.entries;

        QCOMPARE(trouvimo::readWordList(writeFile(bytes), table), ListStatus::Read);
        QCOMPARE(table.count, 0);
        QCOMPARE(table.entries, before);
    }

    void tableIsResizedToTheLines()
    {
        WordTable table {{QString(), u"a"_s, u"b"_s, u"c"_s, u"d"_s}, 4, {}};
        QCOMPARE(trouvimo::parseWordList("x\r\ny", table), ListStatus::Read);
        QCOMPARE(table.count, 2);
        QCOMPARE(table.entries, (QList<QString> {QString(), u"x"_s, u"y"_s}));
    }

    void lineCap_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ListStatus>("status");

        QTest::newRow("40000 lines") << numberedLines(40000, "\r\n") << ListStatus::Stopped;
        QTest::newRow("32767 lines ending with CR LF")
            << numberedLines(32767, "\r\n") << ListStatus::Read;
        QTest::newRow("32767 lines ending with CR")
            << numberedLines(32767, "\r") << ListStatus::Read;
        QTest::newRow("40000 lines ending with LF")
            << numberedLines(40000, "\n") << ListStatus::Stopped;
        QTest::newRow("32767 lines ending with LF")
            << numberedLines(32767, "\n") << ListStatus::Read;
        QTest::newRow("an empty 32768th line") << numberedLines(32767, "\r\n") + "\r\n"
                                               << ListStatus::Stopped;
        QTest::newRow("LF alone starts line 32768") << numberedLines(32767, "\r") + "\n\n"
                                                    << ListStatus::Stopped;
        QTest::newRow("invalid UTF-8 only past the cap")
            << "\xC3\xA9" + numberedLines(32767, "\r\n") + "\xE9\r\n"
            << ListStatus::Stopped;
        QTest::newRow("a long tail past the cap") << numberedLines(32768, "\r\n")
                + QByteArray(3 * 1024 * 1024, 'z') << ListStatus::Stopped;
    }

    void lineCap()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(ListStatus, status);

        WordTable parsed;
        QCOMPARE(trouvimo::parseWordList(bytes, parsed), status);
        QCOMPARE(parsed.count, 32767);
        QCOMPARE(parsed.entries.size(), 32768);
        QVERIFY(parsed.entries[2] == u"w2"_s);
        QVERIFY(parsed.entries[32767].endsWith(u"w32767"_s));
        QVERIFY(!parsed.entries[32767].contains(u'\n'));

        WordTable read;
        QCOMPARE(trouvimo::readWordList(writeFile(bytes), read), status);
        QCOMPARE(read.count, 32767);
        QCOMPARE(read.entries, parsed.entries);
    }

    void lineEndAcrossReads_data()
    {
        QTest::addColumn<int>("crOffset");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<ListStatus>("status");

        // The last line that can be taken ends just before a power of two, where a read is
        // likely to stop: what follows decides whether a 32768th line exists.
        for (const int power : {20, 22, 23}) {
            const int justBefore = (1 << power) - 1;
            QTest::addRow("CR at 2^%d - 1, then LF and a line", power)
                << justBefore << QByteArray("\nx") << ListStatus::Stopped;
            QTest::addRow("CR at 2^%d - 1, then LF only", power)
                << justBefore << QByteArray("\n") << ListStatus::Read;
            QTest::addRow("CR at 2^%d - 1, then another CR", power)
                << justBefore << QByteArray("\r") << ListStatus::Stopped;
            QTest::addRow("CR LF up to 2^%d, then a line", power)
                << justBefore - 1 << QByteArray("\nx") << ListStatus::Stopped;
            QTest::addRow("CR LF up to 2^%d, then nothing", power)
                << justBefore - 1 << QByteArray("\n") << ListStatus::Read;
        }
    }

    void lineEndAcrossReads()
    {
        QFETCH(int, crOffset);
        QFETCH(QByteArray, after);
        QFETCH(ListStatus, status);

        QByteArray bytes = numberedLines(32766, "\r\n");
        const qsizetype padding = crOffset - bytes.size();
        bytes.append(QByteArray(padding, 'p'));
        bytes.append('\r');
        bytes.append(after);

        WordTable table;
        QCOMPARE(trouvimo::readWordList(writeFile(bytes), table), status);
        QCOMPARE(table.count, 32767);
        QCOMPARE(table.entries[32767].size(), padding);
    }

    // A CR LF far past the last line that can be taken still makes every LF before it a
    // character: reading must not stop at that line before it knows how the lines end.
    void crLfPastTheCapRulesTheLineEnds()
    {
        const QByteArray line = "a\n" + QByteArray(126, 'b') + "\r";
        const QByteArray bytes = line.repeated(32767) + QByteArray(5 * 1024 * 1024, 'z') + "\r\n";
        WordTable table;
        QCOMPARE(trouvimo::readWordList(writeFile(bytes), table), ListStatus::Stopped);
        QCOMPARE(table.format.lineEnds, LineEnds::CrLf);
        QCOMPARE(table.count, 32767);
        QCOMPARE(table.entries[32767], QString::fromLatin1(line.chopped(1)));
    }

    void capTakesTheEncodingFromTheTakenLinesOnly()
    {
        const QByteArray bytes = "\xC3\xA9" + numberedLines(32767, "\r\n") + "\xE9";
        WordTable table;
        QCOMPARE(trouvimo::parseWordList(bytes, table), ListStatus::Stopped);
        QCOMPARE(table.entries[1], u"éw1"_s);
    }

    void longSingleLine()
    {
        QByteArray bytes(10 * 1024 * 1024, 'a');
        bytes[5] = ' ';
        WordTable table;
        QCOMPARE(trouvimo::readWordList(writeFile(bytes + "\r\n"), table), ListStatus::Read);
        QCOMPARE(table.count, 1);
        QCOMPARE(table.entries[1].size(), bytes.size());
        QCOMPARE(table.entries[1], QString::fromLatin1(bytes));
    }

    // Every list of up to seven of these bytes, with and without the byte-order mark: the lines
    // counted in all are the lines the reader cuts, in lists within its cap.
    void lineCountAgreesWithTheReader()
    {
        const QByteArray alphabet("a \r\n");
        QList<QByteArray> lists {QByteArray()};
        for (qsizetype from = 0; lists.size() < 21845; ++from) {
            for (const char c : alphabet)
                lists.append(lists[from] + c);
        }
        for (const QByteArray& list : std::as_const(lists)) {
            for (const QByteArray& bytes : {list, kUtf8BomBytes + list}) {
                WordTable table;
                QCOMPARE(trouvimo::parseWordList(bytes, table), ListStatus::Read);
                if (trouvimo::countListLines(bytes) != table.count)
                    QFAIL(qPrintable(u"lines of \"%1\": %2 counted, %3 read"_s
                                         .arg(QString::fromLatin1(bytes.toPercentEncoding()))
                                         .arg(trouvimo::countListLines(bytes))
                                         .arg(table.count)));
            }
        }
    }

    void lineCountOfAFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("lines");

        QTest::newRow("empty") << QByteArray() << qint64 {0};
        QTest::newRow("the byte-order mark alone") << kUtf8BomBytes << qint64 {0};
        QTest::newRow("two bytes of the mark") << kUtf8BomBytes.first(2) << qint64 {1};
        QTest::newRow("a dictionary")
            << kUtf8BomBytes + numberedLines(346205, "\n") << qint64 {346205};
        // The pieces the file is read in are a mebibyte: the list's one CR LF straddles two of
        // them, and makes every LF before it a character.
        QByteArray straddling = kUtf8BomBytes + QByteArray("a\nb\rc\n");
        straddling.append(QByteArray(1024 * 1024 - 1 - straddling.size(), 'x'));
        straddling.append("\r\nlast");
        QTest::newRow("a CR LF across two pieces") << straddling << qint64 {3};
        QTest::newRow("a CR at the end of a piece") << QByteArray(1024 * 1024 - 1, 'x') + "\r\n\n"
                                                    << qint64 {2};
    }

    void lineCountOfAFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, lines);
        QCOMPARE(trouvimo::countListLines(bytes), lines);
        QCOMPARE(trouvimo::countListFileLines(writeFile(bytes)), std::optional(lines));
    }

    void lineCountOfNoFile()
    {
        QCOMPARE(trouvimo::countListFileLines(m_dir.filePath(u"nowhere.txt"_s)), std::nullopt);
        QCOMPARE(trouvimo::countListFileLines(m_dir.path()), std::nullopt);
    }

    void missingFile_data()
    {
        QTest::addColumn<bool>("danglingLink");
        QTest::newRow("no such file") << false;
#ifdef Q_OS_UNIX
        // Windows' QFile::link() makes a shortcut, which is a file of its own.
        QTest::newRow("dangling symbolic link") << true;
#endif
    }

    void missingFile()
    {
        QFETCH(bool, danglingLink);
        QString path = m_dir.filePath(u"ListeMotsAnglais.txt"_s);
        if (danglingLink) {
            path = m_dir.filePath(u"link.txt"_s);
            QVERIFY(QFile::link(m_dir.filePath(u"nowhere.txt"_s), path));
        }
        WordTable table {{QString(), u"kept"_s}, 1, {}};
        QCOMPARE(trouvimo::readWordList(path, table), ListStatus::Missing);
        QCOMPARE(table.count, 0);
        QCOMPARE(table.entries, (QList<QString> {QString(), u"kept"_s}));
    }

    // Only a plain file is read: a pipe would wait for a writer for ever, a device never ends.
    // Pipes, devices, permissions and /proc are POSIX's; the Windows build has none of them.
#ifdef Q_OS_UNIX
    void notAPlainFileIsStopped_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("directory") << u"directory"_s;
        QTest::newRow("named pipe") << u"pipe"_s;
        QTest::newRow("link to an endless device") << u"device"_s;
    }

    void notAPlainFileIsStopped()
    {
        QFETCH(QString, kind);
        const QString path = m_dir.filePath(u"ListeMots-%1.txt"_s.arg(kind));
        if (kind == u"directory")
            QVERIFY(QDir(m_dir.path()).mkdir(QFileInfo(path).fileName()));
        else if (kind == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(u"/dev/zero"_s, path));
        WordTable table {{QString(), u"kept"_s}, 1, {}};
        QCOMPARE(trouvimo::readWordList(path, table), ListStatus::Stopped);
        QCOMPARE(table.count, 0);
        QCOMPARE(table.entries, (QList<QString> {QString(), u"kept"_s}));
    }

    void unreadableFileIsStopped()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not stop root from reading");
        const QString path = writeFile("chat\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        WordTable table;
        QCOMPARE(trouvimo::readWordList(path, table), ListStatus::Stopped);
        QCOMPARE(table.count, 0);
        QVERIFY(table.entries.isEmpty());
    }

    void readErrorCountsTheLineBeingRead()
    {
        // The kernel refuses to read the unmapped first page of a process's memory: the file
        // opens, and the very first read fails.
        const QString path = u"/proc/self/mem"_s;
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            QSKIP("no /proc/self/mem to read from");
        probe.close();

        WordTable table {{QString(), u"old"_s, u"older"_s}, 2, {}};
        QCOMPARE(trouvimo::readWordList(path, table), ListStatus::Stopped);
        QCOMPARE(table.count, 1);
        QCOMPARE(table.entries, (QList<QString> {QString(), QString()}));
    }
#endif
};

QTEST_GUILESS_MAIN(TestWordList)
#include "tst_wordlist.moc"
