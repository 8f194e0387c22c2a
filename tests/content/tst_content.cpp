#include "words/TextDecoding.h"
#include "words/WordList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QSet>
#include <QSize>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

using namespace Qt::StringLiterals;

namespace trouvimo {
namespace {

const QString kDataDir = QString::fromUtf8(TROUVIMO_DATA_DIR);

// The board centres each picture in a frame of this size; smaller than the minimum, a picture
// looks lost in it.
constexpr QSize kPictureFrame {177, 201};
constexpr QSize kPictureMinimum {120, 100};
constexpr int kMinFrames = 8;
constexpr qint64 kMaxPictureBytes = 60 * 1024;
constexpr int kMaxWordLength = 12; // there are twelve answer slots
constexpr int kMinWords = 150;

QString dataPath(const QString& relative)
{
    return kDataDir + u'/' + relative;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// The words of a list as the board will hold them (entries 1..count).
QStringList wordsOf(const QString& listFile)
{
    WordTable table;
    if (readWordList(dataPath(listFile), table) != ListStatus::Read) {
        return {};
    }
    return table.entries.mid(1, table.count);
}

// What a WAV file says about itself, read straight from its RIFF chunks.
struct WavFacts {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
    QByteArray samples;
};

std::optional<WavFacts> parseWav(const QByteArray& bytes, QString& why)
{
    const auto u16 = [&bytes](qsizetype at) {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    };
    const auto u32 = [&bytes](qsizetype at) {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        why = u"not a RIFF WAVE file"_s;
        return std::nullopt;
    }
    if (u32(4) != static_cast<quint32>(bytes.size() - 8)) {
        why =
            u"the RIFF size %1 does not match the file (%2 bytes)"_s.arg(u32(4)).arg(bytes.size());
        return std::nullopt;
    }
    WavFacts facts;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = u32(at + 4);
        const qsizetype body = at + 8;
        if (body + static_cast<qsizetype>(size) > bytes.size()) {
            why = u"chunk '%1' runs past the end of the file"_s.arg(QString::fromLatin1(id));
            return std::nullopt;
        }
        if (id == "fmt " && size >= 16) {
            facts.format = u16(body);
            facts.channels = u16(body + 2);
            facts.sampleRate = u32(body + 4);
            facts.byteRate = u32(body + 8);
            facts.blockAlign = u16(body + 12);
            facts.bitsPerSample = u16(body + 14);
            haveFormat = true;
        } else if (id == "data") {
            facts.samples = bytes.mid(body, size);
            haveData = true;
        }
        at = body + size + (size & 1U); // chunks are padded to an even length
    }
    if (!haveFormat || !haveData) {
        why = haveFormat ? u"no data chunk"_s : u"no fmt chunk"_s;
        return std::nullopt;
    }
    return facts;
}

qint16 sampleAt(const QByteArray& samples, qsizetype index)
{
    return qFromLittleEndian<qint16>(samples.constData() + 2 * index);
}

QString failures(const QStringList& problems)
{
    constexpr qsizetype shown = 25;
    QString text = problems.mid(0, shown).join(u'\n');
    if (problems.size() > shown) {
        text += u"\n... and %1 more"_s.arg(problems.size() - shown);
    }
    return text;
}

} // namespace

class TestContent : public QObject {
    Q_OBJECT

private slots:
    void listBytes_data();
    void listBytes();
    void wordsArePlayable_data();
    void wordsArePlayable();
    void picturesMatchWords_data();
    void picturesMatchWords();
    void picturesAnimate_data();
    void picturesAnimate();
    void sounds_data();
    void sounds();
    void windowArt_data();
    void windowArt();
};

void TestContent::listBytes_data()
{
    QTest::addColumn<QString>("listFile");
    QTest::newRow("French") << u"ListeMots.txt"_s;
    QTest::newRow("English") << u"ListeMotsAnglais.txt"_s;
}

// The lists are meant for a single-byte reader: Windows-1252, and every line (the last one too)
// ending in CR LF, so that an editor that adds or drops a final line end changes nothing.
void TestContent::listBytes()
{
    QFETCH(QString, listFile);
    const QByteArray bytes = readAll(dataPath(listFile));
    QVERIFY2(!bytes.isEmpty(), qPrintable(u"cannot read "_s + listFile));
    QVERIFY2(!bytes.startsWith(kUtf8Bom.toByteArray()),
             "the list starts with a UTF-8 byte-order mark");
    QVERIFY2(!looksLikeUtf8(bytes), "the list is UTF-8, not Windows-1252");
    QVERIFY2(bytes.endsWith("\r\n"), "the last line does not end with CR LF");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool loneCr = bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
        const bool loneLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
        QVERIFY2(!loneCr && !loneLf,
                 qPrintable(u"a line end other than CR LF at byte %1"_s.arg(i)));
    }
}

void TestContent::wordsArePlayable_data()
{
    listBytes_data();
}

// Every entry must be a word the board can lay out and check: 1 to 12 letters (one tile and one
// answer slot per letter), nothing else on the line, and no word twice (the second would reuse
// the first one's picture, and the draw would show the same word twice in a game).
void TestContent::wordsArePlayable()
{
    QFETCH(QString, listFile);
    const QStringList words = wordsOf(listFile);
    QVERIFY2(words.size() >= kMinWords,
             qPrintable(u"%1 words, fewer than %2"_s.arg(words.size()).arg(kMinWords)));

    QStringList problems;
    QSet<QString> seen;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const QString where = u"line %1 \"%2\": "_s.arg(i + 1).arg(word);
        if (word.isEmpty() || word.size() > kMaxWordLength) {
            problems << where
                    + u"%1 letters, the board plays 1 to %2"_s.arg(word.size()).arg(kMaxWordLength);
        }
        if (!std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.isLetter(); })) {
            problems << where + u"holds something other than letters"_s;
        }
        if (word != word.toLower()) {
            problems << where + u"is not in lower case"_s;
        }
        const QString key = word.toUpper();
        if (seen.contains(key)) {
            problems << where + u"appears twice"_s;
        }
        seen.insert(key);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(failures(problems)));
}

void TestContent::picturesMatchWords_data()
{
    QTest::addColumn<QString>("listFile");
    QTest::addColumn<QString>("pictureDir");
    QTest::newRow("French") << u"ListeMots.txt"_s << u"Images/Mots"_s;
    QTest::newRow("English") << u"ListeMotsAnglais.txt"_s << u"Images/MotsAnglais"_s;
}

// The board loads "<WORD IN UPPER CASE>.gif" when a word is solved: a missing picture leaves the
// player without a reward, and a picture nobody can reach is a sign that the list and the
// pictures went out of step.
void TestContent::picturesMatchWords()
{
    QFETCH(QString, listFile);
    QFETCH(QString, pictureDir);
    const QStringList words = wordsOf(listFile);
    QVERIFY(!words.isEmpty());
    const QDir dir(dataPath(pictureDir));
    QVERIFY2(dir.exists(), qPrintable(dir.path() + u" is missing"_s));

    QStringList problems;
    QSet<QString> expected;
    for (const QString& word : words) {
        const QString name = word.toUpper() + u".gif"_s;
        expected.insert(name);
        if (!QFileInfo(dir.filePath(name)).isFile()) {
            problems << u"\"%1\" has no picture %2"_s.arg(word, name);
        }
    }
    const QStringList present = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : present) {
        if (!expected.contains(name)) {
            problems << u"%1 belongs to no word of %2"_s.arg(name, listFile);
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(failures(problems)));
}

void TestContent::picturesAnimate_data()
{
    QTest::addColumn<QString>("pictureDir");
    QTest::newRow("French") << u"Images/Mots"_s;
    QTest::newRow("English") << u"Images/MotsAnglais"_s;
}

// Each picture must decode completely, loop for ever, move (at least 8 frames), fit the frame
// it is centred in, and stay small.
void TestContent::picturesAnimate()
{
    QFETCH(QString, pictureDir);
    const QDir dir(dataPath(pictureDir));
    const QStringList names = dir.entryList({u"*.gif"_s}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());

    QStringList problems;
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        const qint64 bytes = QFileInfo(path).size();
        if (bytes > kMaxPictureBytes) {
            problems << u"%1: %2 bytes, more than %3"_s.arg(name).arg(bytes).arg(kMaxPictureBytes);
        }

        QImageReader reader(path);
        if (reader.format() != "gif" || !reader.supportsAnimation()) {
            problems << name + u": not an animated GIF"_s;
            continue;
        }
        const QSize size = reader.size();
        if (size.width() > kPictureFrame.width() || size.height() > kPictureFrame.height()
            || size.width() < kPictureMinimum.width() || size.height() < kPictureMinimum.height()) {
            problems << u"%1: %2 x %3 pixels"_s.arg(name).arg(size.width()).arg(size.height());
        }
        if (reader.loopCount() != -1) {
            problems << u"%1: loops %2 times instead of for ever"_s.arg(name).arg(
                reader.loopCount());
        }
        int decoded = 0;
        for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
            ++decoded;
        }
        if (decoded < kMinFrames) {
            problems << u"%1: %2 frames decode, fewer than %3"_s.arg(name).arg(decoded).arg(
                kMinFrames);
        }

        QMovie movie(path);
        if (!movie.isValid() || movie.frameCount() != decoded) {
            problems << u"%1: QMovie sees %2 frames, the reader decoded %3"_s.arg(name)
                            .arg(movie.frameCount())
                            .arg(decoded);
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(failures(problems)));
}

void TestContent::sounds_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    QTest::newRow("greeting") << u"Logoff.wav"_s << 0.2 << 2.5;
    QTest::newRow("board opens") << u"fanfare4.wav"_s << 0.2 << 2.5;
    // Played before the half-second pause of each round: longer, it would ring over the tiles.
    QTest::newRow("next word and closing") << u"Chimes.wav"_s << 0.5 << 0.7;
    QTest::newRow("tile click") << u"Camera.wav"_s << 0.2 << 2.5;
    QTest::newRow("word reset") << u"Cashreg.wav"_s << 0.2 << 2.5;
    QTest::newRow("word found") << u"Tada.wav"_s << 0.2 << 2.5;
}

// All cues share one format and one loudness (a peak of -3 dBFS), and start and end at silence
// so that cutting one off with the next never clicks.
void TestContent::sounds()
{
    QFETCH(QString, file);
    QFETCH(double, minSeconds);
    QFETCH(double, maxSeconds);
    const QByteArray bytes = readAll(dataPath(u"Sons/"_s + file));
    QVERIFY2(!bytes.isEmpty(), qPrintable(u"cannot read Sons/"_s + file));

    QString why;
    const std::optional<WavFacts> wav = parseWav(bytes, why);
    QVERIFY2(wav.has_value(), qPrintable(why));
    QCOMPARE(wav->format, quint16 {1}); // PCM
    QCOMPARE(wav->channels, quint16 {1});
    QCOMPARE(wav->sampleRate, quint32 {44100});
    QCOMPARE(wav->bitsPerSample, quint16 {16});
    QCOMPARE(wav->blockAlign, quint16 {2});
    QCOMPARE(wav->byteRate, quint32 {88200});
    QCOMPARE(wav->samples.size() % 2, 0);

    const qsizetype count = wav->samples.size() / 2;
    const double seconds = static_cast<double>(count) / 44100.0;
    QVERIFY2(
        seconds >= minSeconds && seconds <= maxSeconds,
        qPrintable(u"%1 s, expected %2 to %3 s"_s.arg(seconds).arg(minSeconds).arg(maxSeconds)));

    int peak = 0;
    for (qsizetype i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(sampleAt(wav->samples, i))));
    }
    const int expectedPeak = static_cast<int>(std::lround(std::pow(10.0, -3.0 / 20.0) * 32768.0));
    QVERIFY2(std::abs(peak - expectedPeak) <= 1,
             qPrintable(u"peak sample %1, expected %2 (-3 dBFS)"_s.arg(peak).arg(expectedPeak)));

    constexpr int nearSilence = 32;
    QVERIFY2(std::abs(sampleAt(wav->samples, 0)) <= nearSilence, "the sound starts with a click");
    QVERIFY2(std::abs(sampleAt(wav->samples, count - 1)) <= nearSilence,
             "the sound ends with a click");
}

void TestContent::windowArt_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");
    // Twice the size each is shown at in the windows' design, so that a window scaled up to fill a
    // 1920x1080 monitor (1.86 times) draws it from at least as many pixels as it shows.
    constexpr int art = 2;
    const QSize icon = QSize(32, 32) * art;
    QTest::newRow("start screen") << u"art/start-background.png"_s << QSize(580, 261) * art
                                  << false;
    QTest::newRow("board") << u"art/board-background.png"_s << QSize(807, 582) * art << false;
    QTest::newRow("tiger") << u"art/tiger.png"_s << icon << true;
    QTest::newRow("dove") << u"art/dove.png"_s << icon << true;
    QTest::newRow("French flag") << u"art/flag-fr.png"_s << icon << true;
    QTest::newRow("British flag") << u"art/flag-uk.png"_s << icon << true;
    QTest::newRow("face") << u"art/face.png"_s << icon << true;
    QTest::newRow("speaker") << u"art/speaker.png"_s << icon << true;
}

// The windows place their controls over the backdrops pixel for pixel, and the icons sit on
// coloured buttons, so they need a transparent surround.
void TestContent::windowArt()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);
    const QImage image(dataPath(file));
    QVERIFY2(!image.isNull(), qPrintable(u"cannot load "_s + file));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.hasAlphaChannel(), alpha);
    if (alpha) {
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
}

} // namespace trouvimo

QTEST_MAIN(trouvimo::TestContent)
#include "tst_content.moc"
