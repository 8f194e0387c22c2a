#include "platform/process/SignalWatcher.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <stdexcept>

#include <windows.h>

namespace trouvimo {

namespace {

// Written only before the console handler is installed and after it is removed.
std::atomic<SignalWatcher*> watching {nullptr};

// Runs on a thread of the system's own; the watcher hears of it in its event loop. Returning
// TRUE tells Windows the game handles the request and will end by itself.
BOOL WINAPI forwardConsoleEvent(DWORD event)
{
    SignalWatcher* watcher = watching.load();
    if (watcher == nullptr)
        return FALSE;
    QMetaObject::invokeMethod(
        watcher, [watcher, event] { emit watcher->terminationRequested(static_cast<int>(event)); },
        Qt::QueuedConnection);
    return TRUE;
}

} // namespace

// The session's end reaches a windowed program as WM_ENDSESSION on its windows, before Windows
// ends the process: the game leaves through its closing path while it still may.
struct SignalWatcher::Hooks final : QAbstractNativeEventFilter {
    explicit Hooks(SignalWatcher* owner)
        : watcher(owner)
    {
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam != FALSE && watcher)
            emit watcher->terminationRequested(static_cast<int>(WM_ENDSESSION));
        return false;
    }

    QPointer<SignalWatcher> watcher;
};

SignalWatcher::SignalWatcher(QObject* parent)
    : QObject(parent)
    , m_hooks(std::make_unique<Hooks>(this))
{
    SignalWatcher* none = nullptr;
    if (!watching.compare_exchange_strong(none, this))
        throw std::logic_error("only one SignalWatcher may exist at a time");
    SetConsoleCtrlHandler(forwardConsoleEvent, TRUE);
    QCoreApplication::instance()->installNativeEventFilter(m_hooks.get());
}

SignalWatcher::~SignalWatcher()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeNativeEventFilter(m_hooks.get());
    SetConsoleCtrlHandler(forwardConsoleEvent, FALSE);
    watching.store(nullptr);
}

} // namespace trouvimo
