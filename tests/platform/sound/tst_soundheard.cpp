#include "platform/sound/SoundThread.h"

#include "MessageCapture.h"
#include "WavBuilder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <sys/prctl.h>

using namespace Qt::StringLiterals;
using namespace trouvimo;
using trouvimo::testing::MessageCapture;
using trouvimo::testing::WavBuilder;

namespace {

// How long a wait for something that must happen may last: the suite runs on machines busy with
// other work and under the sanitizers, and a generous limit costs nothing when things go right.
constexpr int kPatientMs = 30000;

// The loudest sample (0..1) written so far to a recording of 16-bit samples that parecord is still
// writing, whose header does not give the data's length yet.
double peakSoFar(const QString& recording)
{
    QFile file(recording);
    if (!file.open(QIODevice::ReadOnly))
        return 0.0;
    const QByteArray content = file.readAll();
    const qsizetype data = content.indexOf("data");
    if (data < 0)
        return 0.0;
    int peak = 0;
    for (qsizetype at = data + 8; at + 1 < content.size(); at += 2) {
        std::int16_t sample = 0;
        std::memcpy(&sample, content.constData() + at, sizeof sample);
        peak = std::max(peak, std::abs(int(sample)));
    }
    return peak / 32768.0;
}

// The servers and recorders that the test starts end with it, however it ends.
void endWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool runTool(const QString& program, const QStringList& arguments,
             QByteArray* errorOutput = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (errorOutput != nullptr)
        *errorOutput = process.readAllStandardError();
    return ok;
}

} // namespace

// Plays through a PulseAudio server of the test's own, whose only sink is a null sink, and
// records what reaches that sink: what the player plays is really heard.
class SoundHeardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void aPlayedWavIsHeard();
    void brokenFilesAreSilent_data();
    void brokenFilesAreSilent();
    void aNewSoundCutsOffTheOne_playing();
    void aHeardSoundClosesItsStream();
    void withoutTheModuleNothingIsHeard();

private:
    int playbackStreams();
    int recordingStreams();
    QString record(const QString& name, const std::function<void()>& whileRecording);
    double maxAmplitude(const QString& recording, double lastSeconds = 0.0);

    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
    QProcess m_server;
    std::unique_ptr<SoundThread> m_player;
};

void SoundHeardTest::initTestCase()
{
    for (const QString& tool : {u"pulseaudio"_s, u"pactl"_s, u"parecord"_s, u"sox"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + u" is not installed"_s));
    }
    QVERIFY(m_dir.isValid() && m_runtime.isValid());
    QVERIFY(QFile::setPermissions(m_runtime.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    qunsetenv("PULSE_SERVER");

    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithTheTest(m_server);
    m_server.start(u"pulseaudio"_s,
                   {u"-n"_s, u"--daemonize=no"_s, u"--exit-idle-time=-1"_s,
                    u"--load=module-null-sink sink_name=t"_s,
                    u"--load=module-native-protocol-unix"_s});
    QVERIFY(m_server.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(runTool(u"pactl"_s, {u"info"_s}), kPatientMs);
    QVERIFY(runTool(u"pactl"_s, {u"set-default-sink"_s, u"t"_s}));

    WavBuilder tone;
    tone.samples = WavBuilder::tone(0.6, 0.5);
    QVERIFY(tone.writeTo(m_dir.filePath(u"tone.wav"_s)));
    WavBuilder longTone;
    longTone.samples = WavBuilder::tone(3.0, 0.5);
    QVERIFY(longTone.writeTo(m_dir.filePath(u"long.wav"_s)));
    WavBuilder quietBlip;
    quietBlip.samples = WavBuilder::tone(0.2, 0.2, 22050, 880.0);
    QVERIFY(quietBlip.writeTo(m_dir.filePath(u"blip.wav"_s)));
    WavBuilder lying = tone;
    lying.declaredDataBytes = 50000000;
    QVERIFY(lying.writeTo(m_dir.filePath(u"lying.wav"_s)));
    QVERIFY(WavBuilder::writeFile(m_dir.filePath(u"empty.wav"_s), {}));
    QVERIFY(WavBuilder::writeFile(m_dir.filePath(u"text.wav"_s), "not a sound\n"));
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.wav"_s));

    MessageCapture::install();
    m_player = std::make_unique<SoundThread>(QStringLiteral(TROUVIMO_SOUND_MODULE));
    QVERIFY(m_player->waitUntilReady());
}

void SoundHeardTest::cleanupTestCase()
{
    m_player.reset();
    MessageCapture::uninstall();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished();
    }
}

QString SoundHeardTest::record(const QString& name, const std::function<void()>& whileRecording)
{
    const QString file = m_dir.filePath(name);
    // Whatever an earlier case played must be over before this recording starts.
    QDeadlineTimer quiet(kPatientMs);
    while (playbackStreams() > 0 && !quiet.hasExpired())
        QTest::qWait(20);
    QProcess recorder;
    endWithTheTest(recorder);
    recorder.start(u"parecord"_s,
                   {u"-d"_s, u"t.monitor"_s, u"--latency-msec=20"_s, u"--format=s16le"_s,
                    u"--file-format=wav"_s, file});
    if (!recorder.waitForStarted())
        return {};
    // The sound must not start before parecord's stream exists.
    QDeadlineTimer connected(kPatientMs);
    while (recordingStreams() < 1 && !connected.hasExpired())
        QTest::qWait(20);
    whileRecording();
    recorder.terminate();
    recorder.waitForFinished(kPatientMs);
    return file;
}

double SoundHeardTest::maxAmplitude(const QString& recording, double lastSeconds)
{
    QStringList arguments {recording, u"-n"_s};
    if (lastSeconds > 0.0)
        arguments << u"trim"_s << u"-%1"_s.arg(lastSeconds);
    arguments << u"stat"_s;
    QByteArray report;
    if (!runTool(u"sox"_s, arguments, &report))
        return -1.0;
    const QRegularExpressionMatch match = QRegularExpression(u"Maximum amplitude:\\s+(-?[0-9.]+)"_s)
                                              .match(QString::fromLatin1(report));
    return match.hasMatch() ? match.captured(1).toDouble() : -1.0;
}

void SoundHeardTest::aPlayedWavIsHeard()
{
    const QString recording = record(u"heard.wav"_s, [this] {
        m_player->play(m_dir.filePath(u"tone.wav"_s));
        QVERIFY(m_player->isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), kPatientMs);
        // parecord hands over what it captured with a delay of its own.
        QTRY_VERIFY_WITH_TIMEOUT(peakSoFar(m_dir.filePath(u"heard.wav"_s)) > 0.4, kPatientMs);
    });
    const double amplitude = maxAmplitude(recording);
    QVERIFY2(amplitude > 0.4 && amplitude < 0.6, qPrintable(u"amplitude %1"_s.arg(amplitude)));
    QCOMPARE(MessageCapture::messages(), QStringList());
}

void SoundHeardTest::brokenFilesAreSilent_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing file") << u"missing.wav"_s;
    QTest::newRow("directory") << u"folder.wav"_s;
    QTest::newRow("0-byte file") << u"empty.wav"_s;
    QTest::newRow("text named .wav") << u"text.wav"_s;
    QTest::newRow("header that lies") << u"lying.wav"_s;
}

void SoundHeardTest::brokenFilesAreSilent()
{
    QFETCH(QString, file);
    const QString recording = record(u"silent.wav"_s, [this, &file] {
        m_player->play(m_dir.filePath(file));
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isPlaying(), kPatientMs);
        // What would have been played would reach the recording within this time.
        QTest::qWait(1500);
    });
    const double amplitude = maxAmplitude(recording);
    QVERIFY2(amplitude >= 0.0 && amplitude < 0.01, qPrintable(u"amplitude %1"_s.arg(amplitude)));
    QCOMPARE(MessageCapture::messages(), QStringList());
}

void SoundHeardTest::aNewSoundCutsOffTheOne_playing()
{
    // Three seconds of tone, cut once it is heard by a short quieter blip: the last two seconds of
    // the recording, long after the blip, must be silence.
    const QString recording = record(u"cut.wav"_s, [this] {
        m_player->play(m_dir.filePath(u"long.wav"_s));
        QTRY_VERIFY_WITH_TIMEOUT(peakSoFar(m_dir.filePath(u"cut.wav"_s)) > 0.4, kPatientMs);
        m_player->play(m_dir.filePath(u"blip.wav"_s));
        QTest::qWait(3500);
    });
    const double whole = maxAmplitude(recording);
    const double end = maxAmplitude(recording, 2.0);
    QVERIFY2(whole > 0.15, qPrintable(u"amplitude %1"_s.arg(whole)));
    QVERIFY2(end >= 0.0 && end < 0.01, qPrintable(u"amplitude at the end %1"_s.arg(end)));
}

int SoundHeardTest::playbackStreams()
{
    QProcess pactl;
    pactl.start(u"pactl"_s, {u"list"_s, u"short"_s, u"sink-inputs"_s});
    if (!pactl.waitForFinished(kPatientMs) || pactl.exitCode() != 0)
        return -1;
    return static_cast<int>(pactl.readAllStandardOutput().count('\n'));
}

int SoundHeardTest::recordingStreams()
{
    QProcess pactl;
    pactl.start(u"pactl"_s, {u"list"_s, u"short"_s, u"source-outputs"_s});
    if (!pactl.waitForFinished(kPatientMs) || pactl.exitCode() != 0)
        return -1;
    return static_cast<int>(pactl.readAllStandardOutput().count('\n'));
}

void SoundHeardTest::aHeardSoundClosesItsStream()
{
    // An open stream keeps the player's thread and the sound server's client thread waking up
    // while the game waits for the child: once a sound has been heard its stream must go, and
    // the next sound must still be heard.
    m_player->play(m_dir.filePath(u"tone.wav"_s));
    QTRY_COMPARE_WITH_TIMEOUT(playbackStreams(), 1, kPatientMs);
    QTRY_COMPARE_WITH_TIMEOUT(playbackStreams(), 0, kPatientMs);
    const QString recording = record(u"after-close.wav"_s, [this] {
        m_player->play(m_dir.filePath(u"blip.wav"_s));
        QTRY_COMPARE_WITH_TIMEOUT(playbackStreams(), 0, kPatientMs);
        QTRY_VERIFY_WITH_TIMEOUT(peakSoFar(m_dir.filePath(u"after-close.wav"_s)) > 0.15,
                                 kPatientMs);
    });
    const double amplitude = maxAmplitude(recording);
    QVERIFY2(amplitude > 0.15 && amplitude < 0.25, qPrintable(u"amplitude %1"_s.arg(amplitude)));
}

void SoundHeardTest::withoutTheModuleNothingIsHeard()
{
    // A game directory without its sound module still runs, silently and quietly, even with a
    // sound server to play on.
    SoundThread player(SoundThread::moduleIn(m_dir.filePath(u"no-such-folder"_s)));
    QCOMPARE(player.waitUntilReady(), false);
    const QString recording = record(u"no-module.wav"_s, [this, &player] {
        player.play(m_dir.filePath(u"tone.wav"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), kPatientMs);
        QTest::qWait(1500);
    });
    const double amplitude = maxAmplitude(recording);
    QVERIFY2(amplitude >= 0.0 && amplitude < 0.01, qPrintable(u"amplitude %1"_s.arg(amplitude)));
    QCOMPARE(MessageCapture::messages(), QStringList());
}

QTEST_GUILESS_MAIN(SoundHeardTest)
#include "tst_soundheard.moc"
