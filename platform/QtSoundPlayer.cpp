#include "QtSoundPlayer.h"

#include "WavFile.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QLoggingCategory>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QSemaphore>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace trouvimo {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t cachedClips = 8;
constexpr qint64 prebufferPaddingUs = 2'500'000;
constexpr qint64 sinkBufferUs = 100'000;
// A requested sound counts as playing until its natural end, worked out from its length, not
// until the sink reports the end (which comes only after the silence that follows each sound).
// The tail covers the server's buffer; the loading allowance covers the time before the
// player's thread has read the file.
constexpr auto audibleTail = std::chrono::milliseconds(200);
constexpr auto loadingAllowance = std::chrono::seconds(2);

qint64 steadyNanoseconds(SteadyClock::time_point when)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

// Qt Multimedia reports a missing sound server or device with warnings of its own. A game that
// may run without sound must not print those, so its categories are switched off...
QLoggingCategory::CategoryFilter previousCategoryFilter = nullptr;

void silenceMultimediaCategories(QLoggingCategory* category)
{
    if (previousCategoryFilter != nullptr)
        previousCategoryFilter(category);
    if (qstrncmp(category->categoryName(), "qt.multimedia", 13) == 0) {
        for (const QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg})
            category->setEnabled(type, false);
    }
}

void installCategoryFilter()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        previousCategoryFilter = QLoggingCategory::installFilter(silenceMultimediaCategories);
    });
}

// ...and since the sound server's connection failure is written to the default category, the
// player's thread is also kept quiet while it first asks for the audio outputs. Messages of
// every other thread still go to the handler that was installed before.
std::atomic<QThread*> quietThread{nullptr};
std::atomic<QtMessageHandler> forwardedHandler{nullptr};

void dropMessagesOfQuietThread(QtMsgType type, const QMessageLogContext& context,
                               const QString& message)
{
    if (QThread::currentThread() == quietThread.load())
        return;
    if (const QtMessageHandler handler = forwardedHandler.load())
        handler(type, context, message);
}

bool anyAudioOutputQuietly()
{
    static std::mutex serialised;
    const std::lock_guard lock(serialised);
    quietThread = QThread::currentThread();
    forwardedHandler = qInstallMessageHandler(dropMessagesOfQuietThread);
    const bool found = !QMediaDevices::audioOutputs().isEmpty();
    const QtMessageHandler replaced = qInstallMessageHandler(forwardedHandler.load());
    // Whoever installed a handler meanwhile keeps it.
    if (replaced != dropMessagesOfQuietThread)
        qInstallMessageHandler(replaced);
    quietThread = nullptr;
    return found;
}

} // namespace

// Shared between the window thread, which asks, and the player's thread, which answers.
// Every request carries the next number; a sound is playing while the latest request is not
// known to be silent (settled: refused, or failed in the sink) and its expected end is ahead.
struct PlaybackState {
    std::atomic<quint64> requested{0};
    std::atomic<quint64> settled{0};
    std::atomic<qint64> playingUntil{0};
    // Released once the player's thread has looked for an audio output.
    QSemaphore ready;
    std::atomic<bool> outputFound{false};

    void settle(quint64 generation)
    {
        quint64 current = settled.load();
        while (current < generation && !settled.compare_exchange_weak(current, generation)) {
        }
    }
};

// A sound ready to hand to an audio sink: its format and its samples, followed by silence.
struct Clip {
    QAudioFormat format;
    QByteArray samples;
    SteadyClock::duration duration{};
};

std::optional<Clip> loadClip(const QString& file)
{
    std::optional<WavSound> wav = readWav(file);
    if (!wav)
        return std::nullopt;
    Clip clip;
    clip.format.setChannelCount(wav->info.channels);
    clip.format.setSampleRate(wav->info.sampleRate);
    clip.format.setSampleFormat(wav->info.floatSamples         ? QAudioFormat::Float
                                : wav->info.bitsPerSample == 8  ? QAudioFormat::UInt8
                                : wav->info.bitsPerSample == 16 ? QAudioFormat::Int16
                                                                : QAudioFormat::Int32);
    clip.duration = std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(wav->info.durationSeconds()));
    // PulseAudio starts a stream only once its pre-buffer is full (two seconds unless the sink
    // is given a smaller buffer), and Qt 6.4 does not shorten the pre-buffer for a short sound:
    // a cue shorter than that would wait in the buffer until the stream is torn down. The
    // silence after the samples fills the pre-buffer whatever size the server grants.
    const auto silence = static_cast<qsizetype>(clip.format.bytesForDuration(prebufferPaddingUs));
    clip.samples = std::move(wav->samples);
    clip.samples.append(silence - silence % clip.format.bytesPerFrame(),
                        wav->info.bitsPerSample == 8 ? '\x80' : '\0');
    return clip;
}

class SoundWorker final : public QObject {
public:
    explicit SoundWorker(std::shared_ptr<PlaybackState> state)
        : m_state(std::move(state))
    {
    }

    void start()
    {
        m_outputFound = anyAudioOutputQuietly();
        m_state->outputFound = m_outputFound;
        m_state->ready.release();
    }

    void play(const QString& file, quint64 generation)
    {
        stopCurrent();
        const Clip* clip = m_outputFound && !m_stopped ? clipFor(file) : nullptr;
        if (clip == nullptr || generation != m_state->requested.load()) {
            m_state->settle(generation);
            return;
        }
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(clip->format)) {
            m_state->settle(generation);
            return;
        }

        m_sink = new QAudioSink(device, clip->format, this);
        m_sink->setBufferSize(static_cast<qsizetype>(clip->format.bytesForDuration(sinkBufferUs)));
        auto* source = new QBuffer(m_sink);
        source->setData(clip->samples);
        source->open(QIODevice::ReadOnly);
        connect(m_sink, &QAudioSink::stateChanged, this,
                [this, sink = m_sink, generation](QAudio::State state) {
                    if (sink == m_sink && state == QAudio::StoppedState
                        && sink->error() != QAudio::NoError)
                        m_state->settle(generation);
                });
        m_state->playingUntil = steadyNanoseconds(SteadyClock::now() + clip->duration + audibleTail);
        m_sink->start(source);
    }

    void stopAll()
    {
        m_stopped = true;
        stopCurrent();
        m_clips.clear();
    }

private:
    // Stopping the sink silences it at once. It is deleted later because the destructor of Qt's
    // PulseAudio sink processes events, which could run another play() nested in this one.
    void stopCurrent()
    {
        if (m_sink == nullptr)
            return;
        m_sink->stop();
        m_sink->deleteLater();
        m_sink = nullptr;
    }

    // The clip of a file, read once and kept while it is among the most recently played.
    const Clip* clipFor(const QString& file)
    {
        const auto cached = std::find_if(m_clips.begin(), m_clips.end(),
                                         [&file](const auto& entry) { return entry.first == file; });
        if (cached != m_clips.end()) {
            std::rotate(m_clips.begin(), cached, cached + 1);
            return &m_clips.front().second;
        }
        std::optional<Clip> clip = loadClip(file);
        if (!clip)
            return nullptr;
        if (m_clips.size() == cachedClips)
            m_clips.pop_back();
        m_clips.emplace(m_clips.begin(), file, std::move(*clip));
        return &m_clips.front().second;
    }

    std::shared_ptr<PlaybackState> m_state;
    bool m_outputFound = false;
    bool m_stopped = false;
    std::vector<std::pair<QString, Clip>> m_clips;
    // Owned through Qt: a child of this worker until deleteLater() takes it.
    QAudioSink* m_sink = nullptr;
};

QtSoundPlayer::QtSoundPlayer()
    : m_state(std::make_shared<PlaybackState>())
    , m_worker(std::make_unique<SoundWorker>(m_state))
{
    installCategoryFilter();
    m_thread.setObjectName(QStringLiteral("sound"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker.get(), &SoundWorker::start, Qt::QueuedConnection);
}

QtSoundPlayer::~QtSoundPlayer()
{
    // The sinks belong to the player's thread and must be stopped there.
    QMetaObject::invokeMethod(m_worker.get(), &SoundWorker::stopAll,
                              Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void QtSoundPlayer::play(const QString& file)
{
    const quint64 generation = ++m_state->requested;
    m_state->playingUntil = steadyNanoseconds(SteadyClock::now() + loadingAllowance);
    QMetaObject::invokeMethod(
        m_worker.get(), [worker = m_worker.get(), file, generation] { worker->play(file, generation); },
        Qt::QueuedConnection);
}

bool QtSoundPlayer::isPlaying() const
{
    return m_state->settled.load() < m_state->requested.load()
        && steadyNanoseconds(SteadyClock::now()) < m_state->playingUntil.load();
}

bool QtSoundPlayer::waitUntilReady() const
{
    m_state->ready.acquire();
    m_state->ready.release();
    return m_state->outputFound;
}

} // namespace trouvimo
