#include "platform/QtSpeech.h"

#include "platform/SpeechOutput.h"

#include <QPluginLoader>

#include <utility>

namespace trouvimo {

namespace {

// How long the game waits, when it ends, for a speech thread that the speech server holds up.
constexpr unsigned long kStopWaitMs = 500;

} // namespace

// Lives on the speech thread: loads the module there and hands it the requests that are still the
// latest when their turn comes.
class SpeechHost final : public QObject {
public:
    SpeechHost(std::shared_ptr<std::atomic<quint64>> latest, QString module)
        : m_latest(std::move(latest))
        , m_module(std::move(module))
    {
    }

    void start()
    {
        // The module stays loaded for the life of the process, whatever becomes of the loader.
        QPluginLoader loader(m_module);
        if (auto* factory = qobject_cast<SpeechOutputFactory*>(loader.instance()))
            m_output = factory->create();
    }

    void say(const QString& text, const QString& locale, quint64 request)
    {
        if (m_output && request == m_latest->load())
            m_output->say(text, locale);
    }

    void stop()
    {
        if (m_output)
            m_output->stop();
    }

private:
    std::shared_ptr<std::atomic<quint64>> m_latest;
    QString m_module;
    std::unique_ptr<SpeechOutput> m_output;
};

QtSpeech::QtSpeech(const QString& module)
    : m_latest(std::make_shared<std::atomic<quint64>>(0))
    , m_thread(std::make_unique<QThread>())
    , m_host(std::make_unique<SpeechHost>(m_latest, module))
{
    m_thread->setObjectName(QStringLiteral("speech"));
    m_host->moveToThread(m_thread.get());
    QMetaObject::invokeMethod(m_host.get(), &SpeechHost::start, Qt::QueuedConnection);
}

QtSpeech::~QtSpeech()
{
    if (!m_started)
        return;
    stop();
    m_thread->quit();
    if (m_thread->wait(kStopWaitMs))
        return;
    // A speech server that never answers holds the thread in its client for good: the thread and
    // what it uses are left to the end of the process rather than the game waiting for them.
    (void)m_thread.release();
    (void)m_host.release();
}

QString QtSpeech::moduleIn(const QString& directory)
{
    return directory + u'/' + QStringLiteral(TROUVIMO_SPEECH_MODULE_NAME);
}

void QtSpeech::start()
{
    if (m_started)
        return;
    m_started = true;
    m_thread->start();
}

void QtSpeech::say(const QString& text, const QString& locale)
{
    const quint64 request = ++*m_latest;
    QMetaObject::invokeMethod(
        m_host.get(),
        [host = m_host.get(), text, locale, request] { host->say(text, locale, request); },
        Qt::QueuedConnection);
}

void QtSpeech::stop()
{
    ++*m_latest;
    QMetaObject::invokeMethod(m_host.get(), &SpeechHost::stop, Qt::QueuedConnection);
}

} // namespace trouvimo
