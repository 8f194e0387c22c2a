// The sound module: plays WAV files through a Qt Multimedia audio sink. Only the sound player's
// thread loads it (see SoundThread), so the game starts without Qt Multimedia, Qt Network and
// the sound server's libraries, and loads them while its first window is already on the screen.

#include "platform/modules/QuietModules.h"
#include "platform/sound/SoundOutput.h"
#include "platform/sound/files/ProbeRecording.h"
#include "platform/sound/files/RequestedSound.h"
#include "platform/sound/files/SoundFileStream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

namespace trouvimo {

namespace {

// A short buffer keeps PulseAudio's pre-buffer (what it waits for before it starts a stream)
// shorter still, and Qt lowers the pre-buffer to the whole sound when the sound is shorter: every
// cue starts at once, with nothing appended to it.
constexpr qint64 sinkBufferUs = 100'000;
// A requested sound counts as playing until its natural end, worked out from its length, not
// until the sink reports the end. The tail covers the server's buffer.
constexpr auto audibleTail = std::chrono::milliseconds(200);
// Once the sink has taken the last sample, the server still holds up to a buffer's worth of the
// sound; the stream is closed only after that has been heard, with this much to spare.
constexpr int drainMarginMs = 150;

// Qt 6.4's PulseAudio backend writes its failures ("PulseAudioService: pa_context_connect()
// failed" when there is no sound server) with a plain qWarning(), in the default category, whose
// warnings cannot be turned off without hiding "The X11 connection broke" from the handler that
// ends the game on it (DisplayConnection). Those messages are given a category of their own under
// qt.multimedia, and held back only while that category is off.
Q_LOGGING_CATEGORY(lcPulseAudioService, "qt.multimedia.pulseaudio.service")

std::atomic<QtMessageHandler> forwardedHandler {nullptr};

void holdBackPulseAudioServiceMessages(QtMsgType type, const QMessageLogContext& context,
                                       const QString& message)
{
    const bool fromPulseAudioService = qstrcmp(context.category, "default") == 0
        && message.startsWith(QLatin1String("PulseAudioService: "));
    if (fromPulseAudioService && !lcPulseAudioService().isEnabled(type))
        return;
    if (const QtMessageHandler handler = forwardedHandler.load())
        handler(type, context, message);
}

void installQuietLogging()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        QLoggingCategory::setFilterRules(QString::fromLatin1(kQuietModules));
        forwardedHandler = qInstallMessageHandler(holdBackPulseAudioServiceMessages);
    });
}

} // namespace

QAudioFormat formatOf(const SoundFileStream& sound)
{
    QAudioFormat format;
    format.setChannelCount(sound.channels());
    format.setSampleRate(sound.sampleRate());
    format.setSampleFormat(sound.sampleFormat() == SoundFileStream::SampleFormat::Int16
                               ? QAudioFormat::Int16
                               : QAudioFormat::Float);
    return format;
}

class QtAudioOutput final : public QObject, public SoundOutput {
public:
    explicit QtAudioOutput(std::shared_ptr<PlaybackState> state)
        : m_state(std::move(state))
    {
        m_closing.setSingleShot(true);
        connect(&m_closing, &QTimer::timeout, this, [this] {
            if (m_sink != nullptr && m_sink->state() == QAudio::IdleState)
                stopCurrent();
        });
    }

    bool findOutput() override
    {
        m_outputFound = !QMediaDevices::audioOutputs().isEmpty();
        return m_outputFound;
    }

    void play(const QString& file, quint64 generation) override
    {
        stopCurrent();
        std::unique_ptr<SoundFileStream> sound =
            openRequestedSound(file, generation, m_outputFound && !m_stopped, *m_state);
        if (!sound)
            return;
        const QAudioFormat format = formatOf(*sound);
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(format)) {
            m_state->settle(generation);
            return;
        }

        // An audio sink rather than QSoundEffect, which loses the short cues on PulseAudio with
        // Qt 6.4.2: six plays of a 440 Hz tone a second apart, recorded from a null sink, lost
        // 100 to 130 ms of every cue with a new QSoundEffect each time (an 80 ms cue came out
        // as 18 ms at most), and with one QSoundEffect played again and again a cue in six went
        // unheard and the first lost its start. This sink played all six, whole.
        m_sink = new QAudioSink(device, format, this);
        m_sink->setBufferSize(static_cast<qsizetype>(format.bytesForDuration(sinkBufferUs)));
        const auto duration = std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double>(sound->durationSeconds()));
        SoundFileStream* source = sound.release();
        source->setParent(m_sink);
        // The sink goes idle once it has handed the server the last sample, and also for a
        // moment when the server ran dry in the middle (it then reports an underrun and goes
        // back to active). An open stream keeps the player's thread and the sound server's
        // client thread waking, so it is closed once the end has been heard.
        connect(m_sink, &QAudioSink::stateChanged, this,
                [this, sink = m_sink, generation](QAudio::State) {
                    if (sink != m_sink)
                        return;
                    const QAudio::State now = sink->state();
                    if (now == QAudio::StoppedState && sink->error() != QAudio::NoError)
                        m_state->settle(generation);
                    else if (now == QAudio::IdleState && sink->error() == QAudio::NoError)
                        m_closing.start(drainMilliseconds(*sink));
                    else if (now == QAudio::ActiveState)
                        m_closing.stop();
                });
        m_state->playingUntil = steadyNanoseconds(SteadyClock::now() + duration + audibleTail);
        m_sink->start(source);
    }

    void stopAll() override
    {
        m_stopped = true;
        stopCurrent();
    }

private:
    static int drainMilliseconds(const QAudioSink& sink)
    {
        const qint64 bufferedUs =
            sink.format().durationForBytes(static_cast<qint32>(sink.bufferSize()));
        return static_cast<int>(std::max<qint64>(bufferedUs, 0) / 1000) + drainMarginMs;
    }

    // Stopping the sink silences it at once. It is deleted later because the destructor of Qt's
    // PulseAudio sink processes events, which could run another play() nested in this one.
    void stopCurrent()
    {
        m_closing.stop();
        if (m_sink == nullptr)
            return;
        m_sink->stop();
        m_sink->deleteLater();
        m_sink = nullptr;
    }

    std::shared_ptr<PlaybackState> m_state;
    bool m_outputFound = false;
    bool m_stopped = false;
    QTimer m_closing;
    // Owned through Qt: a child of this output until deleteLater() takes it.
    QAudioSink* m_sink = nullptr;
};

class QtAudioOutputFactory final : public QObject, public SoundOutputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoSoundOutputFactory_iid)
    Q_INTERFACES(trouvimo::SoundOutputFactory)

public:
    RecordingProbe probeRecording(const QString& file) override
    {
        return trouvimo::probeRecording(file);
    }

    std::unique_ptr<SoundOutput> create(std::shared_ptr<PlaybackState> state) override
    {
        installQuietLogging();
        return std::make_unique<QtAudioOutput>(std::move(state));
    }
};

} // namespace trouvimo

#include "QtAudioOutput.moc"
