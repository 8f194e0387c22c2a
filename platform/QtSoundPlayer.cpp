#include "platform/QtSoundPlayer.h"

#include "platform/SoundOutput.h"

#include <QPluginLoader>

#include <chrono>
#include <utility>

namespace trouvimo {

namespace {

// A requested sound counts as playing from the moment it is asked for, for as long as the
// player's thread may need to load the module, find the output and read the file; the output
// then replaces this with the sound's real end.
constexpr auto kLoadingAllowance = std::chrono::seconds(2);

} // namespace

// Lives on the player's thread: loads the sound module there and hands the requests to the
// output it makes. Without the module or without an audio output, every request is settled as
// silent at once.
class SoundHost final : public QObject {
public:
    SoundHost(std::shared_ptr<PlaybackState> state, QString module)
        : m_state(std::move(state))
        , m_module(std::move(module))
    {
    }

    void start()
    {
        // The module stays loaded for the life of the process, whatever becomes of the loader.
        QPluginLoader loader(m_module);
        if (auto* factory = qobject_cast<SoundOutputFactory*>(loader.instance()))
            m_output = factory->create(m_state);
        const bool found = m_output != nullptr && m_output->findOutput();
        m_state->outputFound = found;
        m_state->ready.release();
    }

    void play(const QString& file, quint64 generation)
    {
        if (m_output)
            m_output->play(file, generation);
        else
            m_state->settle(generation);
    }

    void stopAll()
    {
        if (m_output)
            m_output->stopAll();
    }

private:
    std::shared_ptr<PlaybackState> m_state;
    QString m_module;
    std::unique_ptr<SoundOutput> m_output;
};

QtSoundPlayer::QtSoundPlayer(const QString& module)
    : m_state(std::make_shared<PlaybackState>())
    , m_host(std::make_unique<SoundHost>(m_state, module))
{
    m_thread.setObjectName(QStringLiteral("sound"));
    m_host->moveToThread(&m_thread);
    // Queued before any sound, so that the thread looks for the output before it plays.
    QMetaObject::invokeMethod(m_host.get(), &SoundHost::start, Qt::QueuedConnection);
}

QtSoundPlayer::~QtSoundPlayer()
{
    if (!m_started)
        return;
    // The sinks belong to the player's thread and must be stopped there.
    QMetaObject::invokeMethod(m_host.get(), &SoundHost::stopAll, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QString QtSoundPlayer::moduleIn(const QString& directory)
{
    return directory + u'/' + QStringLiteral(TROUVIMO_SOUND_MODULE_NAME);
}

RecordingProber QtSoundPlayer::recordingProberIn(const QString& module)
{
    QPluginLoader loader(module);
    if (auto* factory = qobject_cast<SoundOutputFactory*>(loader.instance()))
        return [factory](const QString& file) { return factory->probeRecording(file); };
    return [](const QString& /*file*/) { return RecordingProbe {}; };
}

void QtSoundPlayer::start()
{
    if (m_started)
        return;
    m_started = true;
    m_thread.start();
}

void QtSoundPlayer::play(const QString& file)
{
    const quint64 generation = ++m_state->requested;
    m_state->playingUntil = steadyNanoseconds(SteadyClock::now() + kLoadingAllowance);
    QMetaObject::invokeMethod(
        m_host.get(), [host = m_host.get(), file, generation] { host->play(file, generation); },
        Qt::QueuedConnection);
}

bool QtSoundPlayer::isPlaying() const
{
    return m_state->settled.load() < m_state->requested.load()
        && steadyNanoseconds(SteadyClock::now()) < m_state->playingUntil.load();
}

bool QtSoundPlayer::waitUntilReady()
{
    start();
    m_state->ready.acquire();
    m_state->ready.release();
    return m_state->outputFound;
}

} // namespace trouvimo
