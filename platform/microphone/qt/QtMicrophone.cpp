// The microphone module: hears the default microphone through a Qt Multimedia audio source, Qt's
// own backend on each system (PulseAudio on Linux, WASAPI on Windows), and writes a take as WAV.
// Only the microphone's thread loads it (see MicrophoneThread).

#include "platform/microphone/MicrophoneInput.h"
#include "platform/modules/QuietModules.h"
#include "platform/sound/files/WavWriter.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QObject>

#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

namespace trouvimo {

namespace {

// Short enough that the level follows the voice and a take stops soon after the word.
constexpr qint64 kBufferMicroseconds = 50'000;

// The samples of one frame of any of Qt's sample formats, averaged into one in [-1, 1].
float monoSample(const char* frame, const QAudioFormat& format)
{
    const int channels = format.channelCount();
    const int bytes = format.bytesPerSample();
    float sum = 0.0F;
    for (int channel = 0; channel < channels; ++channel) {
        const char* at = frame + channel * bytes;
        switch (format.sampleFormat()) {
        case QAudioFormat::UInt8:
            sum += (static_cast<float>(static_cast<unsigned char>(*at)) - 128.0F) / 128.0F;
            break;
        case QAudioFormat::Int16: {
            qint16 value = 0;
            std::memcpy(&value, at, sizeof value);
            sum += static_cast<float>(value) / 32768.0F;
            break;
        }
        case QAudioFormat::Int32: {
            qint32 value = 0;
            std::memcpy(&value, at, sizeof value);
            sum += static_cast<float>(value) / 2147483648.0F;
            break;
        }
        case QAudioFormat::Float: {
            float value = 0.0F;
            std::memcpy(&value, at, sizeof value);
            sum += value;
            break;
        }
        case QAudioFormat::Unknown:
        case QAudioFormat::NSampleFormats:
            break;
        }
    }
    return channels > 0 ? sum / static_cast<float>(channels) : 0.0F;
}

void installQuietLogging()
{
    static std::once_flag installed;
    std::call_once(installed,
                   [] { QLoggingCategory::setFilterRules(QString::fromLatin1(kQuietModules)); });
}

} // namespace

class QtMicrophone final : public QObject, public MicrophoneInput {
public:
    explicit QtMicrophone(MicrophoneEvents events)
        : m_events(std::move(events))
    {
    }

    ~QtMicrophone() override { stop(); }

    bool findInput() override { return !QMediaDevices::defaultAudioInput().isNull(); }

    void start() override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        if (device.isNull()) {
            m_events.failed(MicrophoneFault::NoMicrophone);
            return;
        }
        // The device's own format costs no conversion in the sound server; mono is made here.
        QAudioFormat format = device.preferredFormat();
        if (format.sampleFormat() == QAudioFormat::Unknown)
            format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format)) {
            m_events.failed(MicrophoneFault::Busy);
            return;
        }
        m_format = format;
        m_source = std::make_unique<QAudioSource>(device, format);
        m_source->setBufferSize(
            static_cast<qsizetype>(format.bytesForDuration(kBufferMicroseconds)));
        connect(m_source.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && m_source && m_source->error() != QAudio::NoError)
                fail(m_source->error() == QAudio::OpenError ? MicrophoneFault::Busy
                                                            : MicrophoneFault::Failed);
        });
        m_device = m_source->start();
        if (m_device == nullptr || m_source->error() != QAudio::NoError) {
            fail(MicrophoneFault::Busy);
            return;
        }
        connect(m_device, &QIODevice::readyRead, this, &QtMicrophone::take);
        m_events.started(format.sampleRate());
    }

    void stop() override
    {
        if (!m_source)
            return;
        if (m_device != nullptr)
            disconnect(m_device, nullptr, this, nullptr);
        m_source->disconnect(this);
        m_source->stop();
        m_device = nullptr;
        m_source.reset();
        m_pending.clear();
    }

private:
    void take()
    {
        m_pending += m_device->readAll();
        const int frameBytes = m_format.bytesPerFrame();
        if (frameBytes <= 0)
            return;
        const qsizetype frames = m_pending.size() / frameBytes;
        std::vector<float> samples(static_cast<std::size_t>(frames));
        for (qsizetype i = 0; i < frames; ++i)
            samples[static_cast<std::size_t>(i)] =
                monoSample(m_pending.constData() + i * frameBytes, m_format);
        m_pending.remove(0, frames * frameBytes);
        if (!samples.empty())
            m_events.heard(std::move(samples));
    }

    void fail(MicrophoneFault fault)
    {
        stop();
        m_events.failed(fault);
    }

    MicrophoneEvents m_events;
    QAudioFormat m_format;
    std::unique_ptr<QAudioSource> m_source;
    // Owned by the source.
    QIODevice* m_device = nullptr;
    // A frame cut between two reads.
    QByteArray m_pending;
};

class QtMicrophoneFactory final : public QObject, public MicrophoneInputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoMicrophoneInputFactory_iid)
    Q_INTERFACES(trouvimo::MicrophoneInputFactory)

public:
    std::unique_ptr<MicrophoneInput> create(MicrophoneEvents events) override
    {
        installQuietLogging();
        return std::make_unique<QtMicrophone>(std::move(events));
    }

    QByteArray wav(const std::vector<float>& samples, int sampleRate) override
    {
        return wavBytes(samples, sampleRate);
    }
};

} // namespace trouvimo

#include "QtMicrophone.moc"
