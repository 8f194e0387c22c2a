#include "QtSoundPlayer.h"

#include "WavFile.h"

#include <QAudioDevice>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QSemaphore>
#include <QSoundEffect>
#include <QUrl>

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

constexpr std::size_t cachedEffects = 8;
// How long a requested sound counts as playing before the player has started it, and how long
// after its natural end, should Qt never report that it stopped.
constexpr auto loadingAllowance = std::chrono::seconds(2);
constexpr auto endingAllowance = std::chrono::milliseconds(500);

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
struct PlaybackState {
    std::atomic<quint64> requested{0};
    std::atomic<quint64> settled{0};
    std::atomic<qint64> playingUntil{0};
    QSemaphore ready;
    std::atomic<bool> outputFound{false};

    void settle(quint64 generation)
    {
        quint64 current = settled.load();
        while (current < generation && !settled.compare_exchange_weak(current, generation)) {
        }
    }
};

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
        if (m_current != nullptr)
            m_current->stop();
        m_current = nullptr;

        const std::optional<WavInfo> wav = m_outputFound ? inspectWav(file) : std::nullopt;
        if (!wav || generation != m_state->requested.load()) {
            m_state->settle(generation);
            return;
        }
        QSoundEffect* effect = effectFor(file);
        m_current = effect;
        m_currentGeneration = generation;
        m_state->playingUntil = steadyNanoseconds(
            SteadyClock::now() + loadingAllowance
            + std::chrono::duration_cast<SteadyClock::duration>(
                std::chrono::duration<double>(wav->durationSeconds()))
            + endingAllowance);
        effect->play();
    }

    void stopAll()
    {
        m_current = nullptr;
        m_effects.clear();
    }

private:
    // The effect for a file, loaded once and kept while it is among the most recently played.
    QSoundEffect* effectFor(const QString& file)
    {
        const auto cached = std::find_if(m_effects.begin(), m_effects.end(),
                                         [&file](const auto& entry) { return entry.first == file; });
        if (cached != m_effects.end()) {
            // A file that failed to load once is loaded afresh, in case it has been repaired.
            if (cached->second->status() != QSoundEffect::Error) {
                std::rotate(m_effects.begin(), cached, cached + 1);
                return m_effects.front().second.get();
            }
            m_effects.erase(cached);
        }
        if (m_effects.size() == cachedEffects)
            m_effects.pop_back();
        auto effect = std::make_unique<QSoundEffect>();
        QSoundEffect* raw = effect.get();
        connect(raw, &QSoundEffect::playingChanged, this, [this, raw] { effectChanged(raw); });
        connect(raw, &QSoundEffect::statusChanged, this, [this, raw] { effectChanged(raw); });
        raw->setSource(QUrl::fromLocalFile(file));
        m_effects.emplace(m_effects.begin(), file, std::move(effect));
        return raw;
    }

    void effectChanged(QSoundEffect* effect)
    {
        if (effect != m_current)
            return;
        // Every effect has a source, so Null only follows a play() refused after an error.
        const QSoundEffect::Status status = effect->status();
        const bool failed = status == QSoundEffect::Error || status == QSoundEffect::Null;
        if (failed || (status == QSoundEffect::Ready && !effect->isPlaying())) {
            m_current = nullptr;
            m_state->settle(m_currentGeneration);
        }
    }

    std::shared_ptr<PlaybackState> m_state;
    bool m_outputFound = false;
    std::vector<std::pair<QString, std::unique_ptr<QSoundEffect>>> m_effects;
    QSoundEffect* m_current = nullptr;
    quint64 m_currentGeneration = 0;
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
    // The effects belong to the player's thread and must be destroyed there.
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
