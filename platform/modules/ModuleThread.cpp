#include "platform/modules/ModuleThread.h"

#include <QObject>
#include <QPluginLoader>
#include <QThread>

#include <utility>

namespace trouvimo {

ModuleThread::ModuleThread(const QString& name, QString module,
                           std::function<void(QObject* root)> loaded)
    : m_thread(std::make_unique<QThread>())
    , m_context(std::make_unique<QObject>())
{
    m_thread->setObjectName(name);
    m_context->moveToThread(m_thread.get());
    // Queued before any call, so that the module is there when the calls run.
    post([module = std::move(module), loaded = std::move(loaded)] {
        // The module stays loaded for the life of the process, whatever becomes of the loader.
        QPluginLoader loader(module);
        loaded(loader.instance());
    });
}

ModuleThread::~ModuleThread()
{
    if (m_started && m_thread)
        (void)finish(QDeadlineTimer(QDeadlineTimer::Forever));
}

void ModuleThread::start()
{
    if (m_started)
        return;
    m_started = true;
    m_thread->start();
}

void ModuleThread::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(m_context.get(), std::move(call), Qt::QueuedConnection);
}

void ModuleThread::postAndWait(std::function<void()> call)
{
    QMetaObject::invokeMethod(m_context.get(), std::move(call), Qt::BlockingQueuedConnection);
}

bool ModuleThread::finish(QDeadlineTimer deadline)
{
    m_thread->quit();
    if (m_thread->wait(deadline))
        return true;
    (void)m_thread.release();
    (void)m_context.release();
    return false;
}

} // namespace trouvimo
