#include "platform/WavFile.h"

#include "WavBuilder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;
using trouvimo::testing::WavBuilder;

Q_DECLARE_METATYPE(WavBuilder)

class WavFileTest : public QObject {
    Q_OBJECT

private slots:
    void acceptsPlayableFiles_data();
    void acceptsPlayableFiles();
    void refusesBrokenFiles_data();
    void refusesBrokenFiles();
    void refusesWhatIsNoFile();
    void skipsOtherChunks();

private:
    QTemporaryDir m_dir;
};

void WavFileTest::acceptsPlayableFiles_data()
{
    QTest::addColumn<WavBuilder>("wav");
    QTest::addColumn<double>("duration");

    WavBuilder mono;
    mono.samples = WavBuilder::tone(0.5, 0.5);
    QTest::newRow("16-bit mono") << mono << 0.5;

    WavBuilder stereo8;
    stereo8.channels = 2;
    stereo8.bitsPerSample = 8;
    stereo8.sampleRate = 11025;
    stereo8.samples = QByteArray(11025 * 2, '\x80');
    QTest::newRow("8-bit stereo") << stereo8 << 1.0;

    WavBuilder floats;
    floats.formatTag = 3;
    floats.bitsPerSample = 32;
    floats.sampleRate = 8000;
    floats.samples = QByteArray(8000, '\0');
    QTest::newRow("32-bit float") << floats << 0.25;

    WavBuilder oddLength;
    oddLength.bitsPerSample = 8;
    oddLength.sampleRate = 8000;
    oddLength.samples = QByteArray(801, '\x80');
    QTest::newRow("odd data length, padded") << oddLength << 801.0 / 8000.0;
}

void WavFileTest::acceptsPlayableFiles()
{
    QFETCH(WavBuilder, wav);
    QFETCH(double, duration);
    const QString path = m_dir.filePath(u"good.wav"_s);
    QVERIFY(wav.writeTo(path));
    const std::optional<WavInfo> info = inspectWav(path);
    QVERIFY(info.has_value());
    QCOMPARE(info->channels, wav.channels);
    QCOMPARE(info->bitsPerSample, wav.bitsPerSample);
    QCOMPARE(info->sampleRate, static_cast<int>(wav.sampleRate));
    QCOMPARE(info->dataBytes, wav.samples.size());
    QVERIFY(qFuzzyCompare(info->durationSeconds(), duration));
    QCOMPARE(info->floatSamples, wav.formatTag == 3);

    const std::optional<WavSound> sound = readWav(path);
    QVERIFY(sound.has_value());
    QCOMPARE(sound->samples, wav.samples);
}

void WavFileTest::refusesBrokenFiles_data()
{
    QTest::addColumn<QByteArray>("contents");

    WavBuilder good;
    good.samples = WavBuilder::tone(0.1, 0.5);
    const QByteArray whole = good.bytes();

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text named .wav") << QByteArray("This is not a sound at all.\n");
    QTest::newRow("header only") << whole.left(44);
    QTest::newRow("cut inside the samples") << whole.left(whole.size() / 2);
    QTest::newRow("cut inside the format chunk") << whole.left(20);
    QTest::newRow("RIFF of another kind") << QByteArray(whole).replace(8, 4, "AVI ");

    auto lie = [&good](auto change) {
        WavBuilder wav = good;
        change(wav);
        return wav.bytes();
    };
    QTest::newRow("data size larger than the file")
        << lie([](WavBuilder& w) { w.declaredDataBytes = 100000000; });
    QTest::newRow("no samples") << lie([](WavBuilder& w) { w.samples.clear(); });
    QTest::newRow("compressed format") << lie([](WavBuilder& w) { w.formatTag = 2; });
    QTest::newRow("24-bit samples") << lie([](WavBuilder& w) {
        w.bitsPerSample = 24;
        w.samples = w.samples.left(300);
    });
    QTest::newRow("no channel") << lie([](WavBuilder& w) { w.channels = 0; });
    QTest::newRow("absurd channel count") << lie([](WavBuilder& w) { w.channels = 300; });
    QTest::newRow("no sample rate") << lie([](WavBuilder& w) { w.sampleRate = 0; });
    QTest::newRow("byte rate that lies") << lie([](WavBuilder& w) { w.byteRate = 1; });
    QTest::newRow("block align that lies") << lie([](WavBuilder& w) { w.blockAlign = 7; });
    QTest::newRow("samples before the format") << lie([](WavBuilder& w) {
        w.dataBeforeFormat = true;
    });
}

void WavFileTest::refusesBrokenFiles()
{
    QFETCH(QByteArray, contents);
    const QString path = m_dir.filePath(u"broken.wav"_s);
    QVERIFY(WavBuilder::writeFile(path, contents));
    QCOMPARE(inspectWav(path).has_value(), false);
    QCOMPARE(readWav(path).has_value(), false);
}

void WavFileTest::refusesWhatIsNoFile()
{
    QCOMPARE(inspectWav(m_dir.filePath(u"missing.wav"_s)).has_value(), false);
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.wav"_s));
    QCOMPARE(inspectWav(m_dir.filePath(u"folder.wav"_s)).has_value(), false);
    QCOMPARE(inspectWav(QString()).has_value(), false);
}

void WavFileTest::skipsOtherChunks()
{
    WavBuilder wav;
    wav.samples = WavBuilder::tone(0.1, 0.5);
    QByteArray bytes = wav.bytes();
    // A LIST chunk of odd length (so padded) between the format and the samples.
    const QByteArray list = QByteArray("LIST") + QByteArray("\x05\0\0\0", 4) + "INFOx" + '\0';
    bytes.insert(12 + 8 + 16, list);
    const QString path = m_dir.filePath(u"list.wav"_s);
    QVERIFY(WavBuilder::writeFile(path, bytes));
    const std::optional<WavInfo> info = inspectWav(path);
    QVERIFY(info.has_value());
    QCOMPARE(info->dataBytes, wav.samples.size());
    QCOMPARE(readWav(path)->samples, wav.samples);
}

QTEST_GUILESS_MAIN(WavFileTest)
#include "tst_wavfile.moc"
