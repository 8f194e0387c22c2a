#include "platform/speech/SpeechThread.h"

#include "platform/speech/SpeechOutput.h"

#include <atomic>
#include <utility>

namespace trouvimo {

namespace {

// How long the game waits, when it ends, for a speech thread that the speech server holds up.
constexpr int kStopWaitMs = 500;

} // namespace

// Lives on the speech thread: hands the module's output the requests that are still the latest
// when their turn comes.
class SpeechHost {
public:
    void load(QObject* module)
    {
        if (auto* factory = qobject_cast<SpeechOutputFactory*>(module))
            m_output = factory->create();
    }

    void say(const QString& text, const QString& locale, quint64 request)
    {
        if (m_output && request == latest.load())
            m_output->say(text, locale);
    }

    void stop()
    {
        if (m_output)
            m_output->stop();
    }

    // The number of the latest request, counted on the game's thread.
    std::atomic<quint64> latest {0};

private:
    std::unique_ptr<SpeechOutput> m_output;
};

SpeechThread::SpeechThread(const QString& module)
    : m_host(std::make_unique<SpeechHost>())
    , m_thread(QStringLiteral("speech"), module,
               [host = m_host.get()](QObject* root) { host->load(root); })
{
}

SpeechThread::~SpeechThread()
{
    if (!m_thread.started())
        return;
    stop();
    if (m_thread.finish(QDeadlineTimer(kStopWaitMs)))
        return;
    // A speech server that never answers holds the thread in its client for good: what the
    // thread uses is left to the end of the process rather than the game waiting for it.
    (void)m_host.release();
}

QString SpeechThread::moduleIn(const QString& directory)
{
    return directory + u'/' + QStringLiteral(TROUVIMO_SPEECH_MODULE_NAME);
}

void SpeechThread::start()
{
    m_thread.start();
}

void SpeechThread::say(const QString& text, const QString& locale)
{
    const quint64 request = ++m_host->latest;
    m_thread.post(
        [host = m_host.get(), text, locale, request] { host->say(text, locale, request); });
}

void SpeechThread::stop()
{
    ++m_host->latest;
    m_thread.post([host = m_host.get()] { host->stop(); });
}

} // namespace trouvimo
