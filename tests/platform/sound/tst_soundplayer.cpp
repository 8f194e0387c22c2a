#include "platform/sound/SoundThread.h"

#include "MessageCapture.h"
#include "WavBuilder.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;
using trouvimo::testing::MessageCapture;
using trouvimo::testing::WavBuilder;

// Run without any sound server (the test sets PULSE_SERVER to a socket that does not exist):
// the player must find no output, print nothing, and settle every request at once.
class SoundPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void findsNoOutputWithoutAServer();
    void playsNothingAndSaysNothing_data();
    void playsNothingAndSaysNothing();
    void aBurstOfCuesSettles();
    void destroyedWhileRequestsArePending();
    void messagesReachableThroughLoggingRules_data();
    void messagesReachableThroughLoggingRules();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SoundThread> m_player;
};

void SoundPlayerTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    WavBuilder good;
    good.samples = WavBuilder::tone(0.3, 0.5);
    QVERIFY(good.writeTo(m_dir.filePath(u"good.wav"_s)));
    WavBuilder lying = good;
    lying.declaredDataBytes = 50000000;
    QVERIFY(lying.writeTo(m_dir.filePath(u"lying.wav"_s)));
    QVERIFY(WavBuilder::writeFile(m_dir.filePath(u"empty.wav"_s), {}));
    QVERIFY(WavBuilder::writeFile(m_dir.filePath(u"text.wav"_s), "not a sound\n"));
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.wav"_s));

    MessageCapture::install();
    m_player = std::make_unique<SoundThread>(QStringLiteral(TROUVIMO_SOUND_MODULE));
    m_player->start();
}

void SoundPlayerTest::cleanupTestCase()
{
    m_player.reset();
    MessageCapture::uninstall();
}

void SoundPlayerTest::findsNoOutputWithoutAServer()
{
    QCOMPARE(m_player->waitUntilReady(), false);
    QCOMPARE(MessageCapture::messages(), QStringList());
}

void SoundPlayerTest::playsNothingAndSaysNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing file") << u"missing.wav"_s;
    QTest::newRow("directory") << u"folder.wav"_s;
    QTest::newRow("0-byte file") << u"empty.wav"_s;
    QTest::newRow("text named .wav") << u"text.wav"_s;
    QTest::newRow("header that lies") << u"lying.wav"_s;
    QTest::newRow("good file, no server") << u"good.wav"_s;
    QTest::newRow("empty path") << QString();
}

void SoundPlayerTest::playsNothingAndSaysNothing()
{
    QFETCH(QString, file);
    m_player->play(file.isEmpty() ? file : m_dir.filePath(file));
    QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), 30000);
    QCOMPARE(MessageCapture::messages(), QStringList());
}

void SoundPlayerTest::aBurstOfCuesSettles()
{
    // Cues asked for faster than any could play, good and bad alike, leave the player silent
    // once it has gone through them.
    for (int i = 0; i < 50; ++i)
        m_player->play(m_dir.filePath(i % 2 == 0 ? u"good.wav"_s : u"lying.wav"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), 30000);
    QCOMPARE(MessageCapture::messages(), QStringList());
}

void SoundPlayerTest::destroyedWhileRequestsArePending()
{
    auto player = std::make_unique<SoundThread>(QStringLiteral(TROUVIMO_SOUND_MODULE));
    player->start();
    for (int i = 0; i < 20; ++i)
        player->play(m_dir.filePath(u"good.wav"_s));
    player.reset();
    QCOMPARE(MessageCapture::messages(), QStringList());
}

void SoundPlayerTest::messagesReachableThroughLoggingRules_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("reported");
    QTest::newRow("no rules") << QString() << false;
    QTest::newRow("Qt Multimedia") << u"qt.multimedia*=true"_s << true;
    QTest::newRow("its PulseAudio warnings") << u"qt.multimedia.pulseaudio*.warning=true"_s << true;
    QTest::newRow("another category") << u"qt.multimedia.soundeffect=true"_s << false;
}

void SoundPlayerTest::messagesReachableThroughLoggingRules()
{
    // The rules of the environment are read once, when the process starts.
    QFETCH(QString, rules);
    QFETCH(bool, reported);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QT_LOGGING_RULES"_s);
    if (!rules.isEmpty())
        environment.insert(u"QT_LOGGING_RULES"_s, rules);
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(QStringLiteral(TROUVIMO_SOUND_PROBE));
    QVERIFY(probe.waitForFinished(10000));
    QCOMPARE(probe.exitCode(), 1);
    const QString output = QString::fromLocal8Bit(probe.readAll());
    QVERIFY2(output.contains(u"pa_context_connect() failed"_s) == reported, qPrintable(output));
    QVERIFY2(reported || output.isEmpty(), qPrintable(output));
}

QTEST_GUILESS_MAIN(SoundPlayerTest)
#include "tst_soundplayer.moc"
