#include "platform/sound/SoundThread.h"

#include "platform/sound/SoundOutput.h"

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

// Lives on the player's thread: hands the requests to the output the sound module makes. Without
// the module or without an audio output, every request is settled as silent at once.
class SoundHost {
public:
    explicit SoundHost(std::shared_ptr<PlaybackState> state)
        : m_state(std::move(state))
    {
    }

    void load(QObject* module)
    {
        if (auto* factory = qobject_cast<SoundOutputFactory*>(module))
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
    std::unique_ptr<SoundOutput> m_output;
};

SoundThread::SoundThread(const QString& module)
    : m_state(std::make_shared<PlaybackState>())
    , m_host(std::make_unique<SoundHost>(m_state))
    , m_thread(QStringLiteral("sound"), module,
               [host = m_host.get()](QObject* root) { host->load(root); })
{
}

SoundThread::~SoundThread()
{
    if (!m_thread.started())
        return;
    // The sinks belong to the player's thread and must be stopped there.
    m_thread.postAndWait([host = m_host.get()] { host->stopAll(); });
    (void)m_thread.finish(QDeadlineTimer(QDeadlineTimer::Forever));
}

QString SoundThread::moduleIn(const QString& directory)
{
    return directory + u'/' + QStringLiteral(TROUVIMO_SOUND_MODULE_NAME);
}

RecordingProber SoundThread::recordingProberIn(const QString& module)
{
    QPluginLoader loader(module);
    if (auto* factory = qobject_cast<SoundOutputFactory*>(loader.instance()))
        return [factory](const QString& file) { return factory->probeRecording(file); };
    return [](const QString& /*file*/) { return RecordingProbe {}; };
}

void SoundThread::start()
{
    m_thread.start();
}

void SoundThread::play(const QString& file)
{
    const quint64 generation = ++m_state->requested;
    m_state->playingUntil = steadyNanoseconds(SteadyClock::now() + kLoadingAllowance);
    m_thread.post([host = m_host.get(), file, generation] { host->play(file, generation); });
}

bool SoundThread::isPlaying() const
{
    return m_state->settled.load() < m_state->requested.load()
        && steadyNanoseconds(SteadyClock::now()) < m_state->playingUntil.load();
}

bool SoundThread::waitUntilReady()
{
    start();
    m_state->ready.acquire();
    m_state->ready.release();
    return m_state->outputFound;
}

} // namespace trouvimo
