#include "platform/microphone/MicrophoneThread.h"

#include "platform/microphone/MicrophoneInput.h"

#include <utility>

namespace trouvimo {

// Lives on the microphone's thread: hands the requests to the input the module makes, and tags
// what the input tells with the take it belongs to.
class MicrophoneHost {
public:
    void load(QObject* module, MicrophoneEvents events)
    {
        m_factory = qobject_cast<MicrophoneInputFactory*>(module);
        if (m_factory != nullptr)
            m_input = m_factory->create(std::move(events));
    }

    [[nodiscard]] bool find() const { return m_input != nullptr && m_input->findInput(); }

    // False when there is no input to start.
    bool start()
    {
        if (!find())
            return false;
        m_input->start();
        return true;
    }

    void stop()
    {
        if (m_input)
            m_input->stop();
    }

    void unload() { m_input.reset(); }

    [[nodiscard]] QByteArray wav(const std::vector<float>& samples, int sampleRate) const
    {
        return m_factory != nullptr ? m_factory->wav(samples, sampleRate) : QByteArray();
    }

    // The take that what the input tells belongs to; set on the microphone's thread.
    quint64 take = 0;

private:
    MicrophoneInputFactory* m_factory = nullptr;
    std::unique_ptr<MicrophoneInput> m_input;
};

MicrophoneThread::MicrophoneThread(const QString& module, QObject* parent)
    : Microphone(parent)
    , m_host(std::make_unique<MicrophoneHost>())
    , m_thread(QStringLiteral("microphone"), module, [this, host = m_host.get()](QObject* root) {
        // Each event crosses to the window's thread and is dropped there when its take is over.
        const auto post = [this, host](auto tell) {
            QMetaObject::invokeMethod(
                this,
                [this, take = host->take, tell = std::move(tell)] {
                    if (take == m_take)
                        tell();
                },
                Qt::QueuedConnection);
        };
        host->load(root,
                   MicrophoneEvents {
                       [this, post](int rate) { post([this, rate] { emit started(rate); }); },
                       [this, post](std::vector<float> samples) {
                           post([this, samples = std::move(samples)] { emit heard(samples); });
                       },
                       [this, post](MicrophoneFault fault) {
                           post([this, fault] { emit failed(fault); });
                       },
                   });
    })
{
}

MicrophoneThread::~MicrophoneThread()
{
    if (!m_thread.started())
        return;
    // The input belongs to the microphone's thread and must be stopped and let go there.
    m_thread.postAndWait([host = m_host.get()] {
        host->stop();
        host->unload();
    });
    (void)m_thread.finish(QDeadlineTimer(QDeadlineTimer::Forever));
}

QString MicrophoneThread::moduleIn(const QString& directory)
{
    return directory + u'/' + QStringLiteral(TROUVIMO_MICROPHONE_MODULE_NAME);
}

void MicrophoneThread::look()
{
    m_thread.start();
    m_thread.post([this, host = m_host.get()] {
        const bool found = host->find();
        QMetaObject::invokeMethod(
            this, [this, found] { emit looked(found); }, Qt::QueuedConnection);
    });
}

void MicrophoneThread::start()
{
    m_thread.start();
    const quint64 take = ++m_take;
    m_thread.post([this, host = m_host.get(), take] {
        host->stop();
        host->take = take;
        if (!host->start()) {
            QMetaObject::invokeMethod(
                this,
                [this, take] {
                    if (take == m_take)
                        emit failed(MicrophoneFault::NoMicrophone);
                },
                Qt::QueuedConnection);
        }
    });
}

void MicrophoneThread::stop()
{
    // What the take still sends is dropped from now on.
    ++m_take;
    if (m_thread.started())
        m_thread.post([host = m_host.get()] { host->stop(); });
}

QByteArray MicrophoneThread::wav(const std::vector<float>& samples, int sampleRate)
{
    m_thread.start();
    QByteArray bytes;
    m_thread.postAndWait([host = m_host.get(), &samples, sampleRate, &bytes] {
        bytes = host->wav(samples, sampleRate);
    });
    return bytes;
}

} // namespace trouvimo
