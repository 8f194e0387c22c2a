#include "check/DataCheck.h"
#include "platform/files/DataPaths.h"
#include "platform/sound/files/ProbeRecording.h"
#include "tests/platform/sound/WavBuilder.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.hh>

#include <cmath>
#include <map>
#include <vector>

using namespace Qt::StringLiterals;
using namespace trouvimo;
using trouvimo::testing::WavBuilder;

Q_DECLARE_METATYPE(trouvimo::Language)

namespace {

// Files by their path under the test's folder: "own/" is the family's own folder, anything else
// lies in the game's data folder.
using Files = std::map<QString, QByteArray>;

const QByteArray kGif = QByteArray::fromHex("47494638396101000100800000000000ffffff21f904"
                                            "01000000002c00000000010001000002024401003b");

QByteArray png()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A word said for a tenth of a second, in a WAV file.
QByteArray wav(quint16 channels = 1)
{
    WavBuilder built;
    built.channels = channels;
    built.samples = WavBuilder::tone(0.1 * channels, 0.5);
    return built.bytes();
}

// A second of a tone as libsndfile writes it in another format (FLAC, Ogg Vorbis).
QByteArray encoded(int format)
{
    constexpr int kRate = 22050;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"tone"_s);
    std::vector<float> samples(kRate);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5f * std::sin(0.1f * static_cast<float>(i));
    SndfileHandle(QFile::encodeName(path).constData(), SFM_WRITE, format, 1, kRate)
        .writef(samples.data(), kRate);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether this libsndfile writes, and so reads, FLAC and Ogg Vorbis.
bool hasCodecs()
{
    return !encoded(SF_FORMAT_FLAC | SF_FORMAT_PCM_16).isEmpty()
        && !encoded(SF_FORMAT_OGG | SF_FORMAT_VORBIS).isEmpty();
}

void writeFiles(const QString& root, const Files& files)
{
    for (const auto& [path, bytes] : files) {
        QVERIFY(QDir(root).mkpath(QFileInfo(path).path()));
        QFile file(root + u'/' + path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
}

} // namespace

class TestDataCheck : public QObject {
    Q_OBJECT

private slots:
    void reportsEachProblem_data();
    void reportsEachProblem();
    void theGameChecksWithoutADisplay_data();
    void theGameChecksWithoutADisplay();
};

void TestDataCheck::reportsEachProblem_data()
{
    QTest::addColumn<Language>("speaking");
    QTest::addColumn<Files>("files");
    // The French list's lines; "D/" and "O/" stand for the data folder and the own folder.
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("problems");

    const QString list = u"D/ListeMots.txt"_s;
    const auto format = [&list](const char* how, int words) {
        return u"%1: %2, playable words: %3"_s.arg(list, QLatin1StringView(how)).arg(words);
    };
    QTest::newRow("a CR LF list with a lone LF")
        << Language::English << Files {{u"ListeMots.txt"_s, "ours\nloup\r\n"}}
        << QStringList {format("Windows-1252, CR LF line ends", 1),
                        list + u": words without a picture: 1 of 1"_s,
                        list
                            + u" line 1: holds a lone LF line end, while the list's lines end "
                              u"with CR LF"_s,
                        list
                            + u" line 1: no picture for \"ours␊loup\" (Images/Mots/OURS␊LOUP.gif "
                              u"or .png, .jpg, .jpeg, .webp)"_s}
        << 2;
    QTest::newRow("words and pictures that do not meet")
        << Language::English
        << Files {{u"ListeMots.txt"_s,
                   "\xEF\xBB\xBF"
                   "e\xCC\x81te\xCC\x81\nchat\n"},
                  {u"Images/Mots/CHAT.gif"_s, kGif},
                  {u"Images/Mots/CHAT.webp"_s, kGif},
                  {u"Images/Mots/LOUP.jpg"_s, kGif},
                  {u"Images/Mots/notes.txt"_s, "not a picture"}}
        << QStringList {format("UTF-8 with a byte-order mark, LF line ends", 2),
                        list + u": words without a picture: 1 of 2"_s,
                        list
                            + u" line 1: no picture for \"été\" (Images/Mots/ÉTÉ.gif or .png, "
                              u".jpg, .jpeg, .webp)"_s,
                        u"D/Images/Mots/CHAT.webp: never shown, the game shows "
                        u"D/Images/Mots/CHAT.gif for \"chat\""_s,
                        u"D/Images/Mots/LOUP.jpg: no word of ListeMots.txt for this picture"_s}
        << 3;
    const QByteArray thirtyThousandSquared =
        QByteArray(kGif).replace(6, 4, "\x30\x75\x30\x75").replace(32, 4, "\x30\x75\x30\x75");
    QTest::newRow("pictures that cannot be shown")
        << Language::English
        << Files {{u"ListeMots.txt"_s, "a\r\nb\r\nc\r\nd"},
                  {u"Images/Mots/A.gif"_s, "This is no picture."},
                  {u"Images/Mots/B.png"_s, {}},
                  {u"Images/Mots/C.png"_s, png().chopped(16)},
                  {u"Images/Mots/D.gif"_s, thirtyThousandSquared}}
        << QStringList {format("Windows-1252, CR LF line ends", 4),
                        u"D/Images/Mots/A.gif: the picture cannot be shown, it is no GIF, PNG, "
                        u"JPEG or WebP picture"_s,
                        u"D/Images/Mots/B.png: the picture cannot be shown, the file is empty"_s,
                        u"D/Images/Mots/C.png: the picture cannot be shown, the picture is "
                        u"damaged"_s,
                        u"D/Images/Mots/D.gif: the picture cannot be shown, 30000 x 30000 "
                        u"pixels, more than 50 million"_s}
        << 4;
    QTest::newRow("missing list") << Language::English << Files {}
                                  << QStringList {list
                                                  + u": missing; the game shows its message "
                                                    u"and stops"_s}
                                  << 1;
    // The own list replaces the game's, so the game's pictures of its own words are no problem;
    // an own picture replaces the game's of the same word.
    QTest::newRow("own folder")
        << Language::English << Files {{u"ListeMots.txt"_s, "chat\r\n"},
                                       {u"Images/Mots/CHAT.gif"_s, kGif},
                                       {u"Images/Mots/LION.gif"_s, kGif},
                                       {u"own/listemots.txt"_s, "chat\nloup\n"},
                                       {u"own/Images/MOTS/Chat.png"_s, png()},
                                       {u"own/Images/MOTS/loup.jpeg"_s, "not a JPEG"},
                                       {u"own/Images/MOTS/RENARD.gif"_s, kGif}}
        << QStringList {u"O/listemots.txt: Windows-1252, LF line ends, playable words: 2"_s,
                        u"O/Images/MOTS/loup.jpeg: the picture cannot be shown, it is no GIF, "
                        u"PNG, JPEG or WebP picture"_s,
                        u"O/Images/MOTS/RENARD.gif: no word of ListeMots.txt for this picture"_s}
        << 2;
    // A list longer than the game reads: its last line read is a word with a picture, and every
    // line before it but the first repeats a word.
    QByteArray longList = "chat\r\n";
    for (int line = 2; line < 32767; ++line)
        longList += "Chat\r\n";
    longList += "loup\r\nours\r\nlion\r\ntigre";
    const Files longListFiles {{u"ListeMots.txt"_s, longList},
                               {u"Images/Mots/CHAT.gif"_s, kGif},
                               {u"Images/Mots/LOUP.gif"_s, kGif}};
    QStringList longReport {format("Windows-1252, CR LF line ends", 32767),
                            list
                                + u": the game reads 32767 lines, up to \"loup\", then stops; "
                                  u"lines left unread: 3"_s};
    QStringList longReportInFrench {
        list + u" : Windows-1252, fins de ligne CR LF, mots jouables : 32767"_s,
        list
            + u" : le jeu lit 32767 lignes, jusqu'à « loup », puis s'arrête ; lignes non lues "
              u": 3"_s};
    for (int line = 2; line < 32767; ++line) {
        longReport.append(u"%1 line %2: \"Chat\" is already on line 1"_s.arg(list).arg(line));
        longReportInFrench.append(
            u"%1 ligne %2 : « Chat » figure déjà ligne 1"_s.arg(list).arg(line));
    }
    QTest::newRow("a list longer than the game reads")
        << Language::English << longListFiles << longReport << 32766;
    QTest::newRow("a list longer than the game reads, in French")
        << Language::French << longListFiles << longReportInFrench << 32766;
    QTest::newRow("in French")
        << Language::French
        << Files {{u"ListeMots.txt"_s, "chat\r\n\r\nchat\r\nabcdefghijklm\r\nloup"},
                  {u"Images/Mots/CHAT.gif"_s, kGif},
                  {u"Images/Mots/OURS.gif"_s, kGif},
                  {u"Sons/Mots/CHAT.wav"_s, wav().chopped(100)},
                  {u"Sons/Mots/OURS.wav"_s, wav()}}
        << QStringList {list + u" : Windows-1252, fins de ligne CR LF, mots jouables : 3"_s,
                        list + u" : mots sans image : 1 sur 3"_s,
                        list + u" : mots avec un enregistrement : 1 sur 3"_s,
                        u"D/Sons/Mots/CHAT.wav : enregistrement illisible, le fichier est "
                        u"tronqué"_s,
                        list + u" ligne 2 : ignorée, elle est vide"_s,
                        list + u" ligne 3 : « chat » figure déjà ligne 1"_s,
                        list + u" ligne 4 : « abcdefghijklm » ignoré, 13 lettres, plus de 12"_s,
                        list
                            + u" ligne 5 : pas d'image pour « loup » (Images/Mots/LOUP.gif ou "
                              u".png, .jpg, .jpeg, .webp)"_s,
                        u"D/Images/Mots/OURS.gif : aucun mot de ListeMots.txt pour cette image"_s,
                        u"D/Sons/Mots/OURS.wav : aucun mot de ListeMots.txt pour cet "
                        u"enregistrement"_s}
        << 7;
    // The family's own recording of a word comes before the game's, whatever its case and
    // however its accents are stored; a recording that another of the word's hides is worth a
    // line, as is one of no word. A word without a recording is no problem. These rows need a
    // libsndfile with its FLAC and Ogg codecs, which the Windows build's lacks.
    if (!hasCodecs())
        return;
    QTest::newRow("recordings")
        << Language::English
        << Files {{u"ListeMots.txt"_s, "chat\r\n\xE9t\xE9\r\nloup\r\nours"},
                  {u"Images/Mots/CHAT.gif"_s, kGif},
                  {u"Images/Mots/ÉTÉ.gif"_s, kGif},
                  {u"Images/Mots/LOUP.gif"_s, kGif},
                  {u"Images/Mots/OURS.gif"_s, kGif},
                  {u"Sons/Mots/CHAT.wav"_s, wav()},
                  {u"Sons/Mots/Chat.flac"_s, wav()},
                  {u"Sons/Mots/ÉTÉ.wav"_s, "not even read"},
                  {u"Sons/Mots/LION.wav"_s, wav()},
                  {u"Sons/Mots/LOUP.ogg"_s, encoded(SF_FORMAT_OGG | SF_FORMAT_VORBIS)},
                  {u"own/sons/mots/e\u0301te\u0301.flac"_s,
                   encoded(SF_FORMAT_FLAC | SF_FORMAT_PCM_16)}}
        << QStringList {format("Windows-1252, CR LF line ends", 4),
                        list + u": words with a recording: 3 of 4"_s,
                        u"D/Sons/Mots/Chat.flac: never played, the game plays D/Sons/Mots/CHAT.wav "
                        u"for \"chat\""_s,
                        u"D/Sons/Mots/LION.wav: no word of ListeMots.txt for this recording"_s}
        << 2;
    WavBuilder halfBlockAlign;
    halfBlockAlign.samples = WavBuilder::tone(0.1, 0.5);
    halfBlockAlign.blockAlign = 1;
    QTest::newRow("recordings that cannot be played")
        << Language::English
        << Files {{u"ListeMots.txt"_s, "a\r\nb\r\nc\r\nd\r\ne\r\nf"},
                  {u"Images/Mots/A.gif"_s, kGif},
                  {u"Images/Mots/B.gif"_s, kGif},
                  {u"Images/Mots/C.gif"_s, kGif},
                  {u"Images/Mots/D.gif"_s, kGif},
                  {u"Images/Mots/E.gif"_s, kGif},
                  {u"Images/Mots/F.gif"_s, kGif},
                  {u"Sons/Mots/A.wav"_s, png()},
                  {u"Sons/Mots/B.ogg"_s, {}},
                  {u"Sons/Mots/C.wav"_s, wav().chopped(100)},
                  {u"Sons/Mots/D.flac"_s, encoded(SF_FORMAT_FLAC | SF_FORMAT_PCM_16).chopped(4000)},
                  {u"Sons/Mots/E.wav"_s, wav(9)},
                  {u"Sons/Mots/F.wav"_s, halfBlockAlign.bytes()}}
        << QStringList {format("Windows-1252, CR LF line ends", 6),
                        list + u": words with a recording: 6 of 6"_s,
                        u"D/Sons/Mots/A.wav: the recording cannot be played, it is no WAV, FLAC "
                        u"or Ogg sound"_s,
                        u"D/Sons/Mots/B.ogg: the recording cannot be played, it holds no sound"_s,
                        u"D/Sons/Mots/C.wav: the recording cannot be played, the file is cut "
                        u"short"_s,
                        u"D/Sons/Mots/D.flac: the recording cannot be played, the file is cut "
                        u"short"_s,
                        u"D/Sons/Mots/E.wav: the recording cannot be played, 9 channels at "
                        u"22050 Hz, where the game plays up to 8 channels at 1 to 192 kHz"_s,
                        u"D/Sons/Mots/F.wav: the recording cannot be played, its header is "
                        u"damaged"_s}
        << 6;
}

void TestDataCheck::reportsEachProblem()
{
    QFETCH(Language, speaking);
    QFETCH(Files, files);
    QFETCH(QStringList, lines);
    QFETCH(int, problems);

    // The English list is sound in every row.
    QTemporaryDir root;
    files.emplace(u"ListeMotsAnglais.txt"_s, "cat\r\n");
    files.emplace(u"Images/MotsAnglais/CAT.gif"_s, kGif);
    writeFiles(root.path(), files);
    const QString data = root.path();
    const QString own = root.filePath(u"own"_s);
    // At the start of a word only: a folder's own name may end in D or O.
    lines.replaceInStrings(QRegularExpression(u"(^|\\s)D/"_s), u"\\1"_s + data + u'/')
        .replaceInStrings(QRegularExpression(u"(^|\\s)O/"_s), u"\\1"_s + own + u'/');
    const bool french = speaking == Language::French;
    lines.append(data
                 + (french ? u"/ListeMotsAnglais.txt : Windows-1252, fins de ligne CR LF, mots "
                             u"jouables : 1"_s
                           : u"/ListeMotsAnglais.txt: Windows-1252, CR LF line ends, playable "
                             u"words: 1"_s));
    if (problems == 0)
        lines.append(french ? u"Aucun problème."_s : u"No problem."_s);
    else if (problems == 1)
        lines.append(french ? u"1 problème."_s : u"1 problem."_s);
    else
        lines.append((french ? u"%1 problèmes."_s : u"%1 problems."_s).arg(problems));

    // The report writes paths as the system does.
    for (QString& line : lines)
        line = QDir::toNativeSeparators(line);
    const DataReport report = checkData(DataPaths(data, {own}), speaking, probeRecording);
    QCOMPARE(report.lines, lines);
    QCOMPARE(report.problems, problems);

    // The summary keeps the lines about a list as a whole, those whose subject is a list's path
    // alone, and the count.
    QStringList summary;
    for (const QString& line : std::as_const(lines)) {
        if (line.left(line.indexOf(u": "_s)).trimmed().endsWith(u".txt"_s))
            summary.append(line);
    }
    summary.append(lines.last());
    QCOMPARE(report.summary, summary);
}

void TestDataCheck::theGameChecksWithoutADisplay_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<QString>("lastLine");

    const QStringList check {u"--check"_s};
    const QStringList summary {u"--check"_s, u"--summary"_s};
    QTest::newRow("the game's own data")
        << QByteArray() << u"C"_s << check << 0 << 3 << u"No problem."_s;
    QTest::newRow("the game's own data, in French")
        << QByteArray() << u"fr_FR.UTF-8"_s << check << 0 << 3 << u"Aucun problème."_s;
    // Two lists, an empty line and one too long.
    QTest::newRow("a broken list") << QByteArray("\r\nabcdefghijklm\r\n") << u"en_GB.UTF-8"_s
                                   << check << 1 << 5 << u"2 problems."_s;
    QTest::newRow("a broken list, summed up")
        << QByteArray("\r\nabcdefghijklm\r\n") << u"en_GB.UTF-8"_s << summary << 1 << 3
        << u"2 problems."_s;
}

// The game itself, started as a teacher would start it: on a machine with no display at all.
void TestDataCheck::theGameChecksWithoutADisplay()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, locale);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, lineCount);
    QFETCH(QString, lastLine);

    QString game = qEnvironmentVariable("TROUVIMO_BIN");
    QVERIFY2(QFileInfo(game).isExecutable(), "TROUVIMO_BIN names no program");
    QTemporaryDir copy;
    if (!list.isEmpty()) {
        // A copy of the game beside a broken French list, with the game's English list and its
        // pictures.
        const QString copied = copy.filePath(QFileInfo(game).fileName());
        QVERIFY(QFile::copy(game, copied));
        writeFiles(copy.path(), {{u"ListeMots.txt"_s, list}});
        const QDir installed = QFileInfo(game).dir();
        QDirIterator english(installed.filePath(u"Images/MotsAnglais"_s), QDir::Files);
        QStringList borrowed {u"ListeMotsAnglais.txt"_s};
        while (english.hasNext())
            borrowed.append(u"Images/MotsAnglais/"_s + english.nextFileInfo().fileName());
        QVERIFY(QDir(copy.path()).mkpath(u"Images/MotsAnglais"_s));
        for (const QString& file : std::as_const(borrowed))
            QVERIFY(QFile::copy(installed.filePath(file), copy.filePath(file)));
        game = copied;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s,
                                u"LANGUAGE"_s, u"LC_ALL"_s, u"LC_MESSAGES"_s})
        environment.remove(name);
    environment.insert(u"LANG"_s, locale);
    // A family's own folder on this machine is no part of the data under test.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    environment.insert(u"HOME"_s, home.path());
    environment.remove(u"XDG_DATA_HOME"_s);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(game, arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    // A Windows console's lines end in CR LF.
    const QStringList output = QString::fromUtf8(process.readAllStandardOutput())
                                   .remove(u'\r')
                                   .split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(output.size(), lineCount);
    QCOMPARE(output.value(output.size() - 1), lastLine);
}

QTEST_GUILESS_MAIN(TestDataCheck)
#include "tst_datacheck.moc"
