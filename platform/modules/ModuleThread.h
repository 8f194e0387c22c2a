#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>

class QObject;
class QThread;

namespace trouvimo {

// A thread of its own for one of the game's modules (the sound output, the speech synthesis),
// which it loads when it starts: the module's libraries, and the servers they connect to, then
// never hold up a window, and the game starts without them. The calls posted to it run there in
// the order they were posted, after the module was loaded; those posted before start() wait for
// it.
class ModuleThread {
public:
    // loaded runs on the thread with the module's root object, nullptr when the module is missing
    // or is not one of the game's.
    ModuleThread(const QString& name, QString module, std::function<void(QObject* root)> loaded);
    ~ModuleThread();

    ModuleThread(const ModuleThread&) = delete;
    ModuleThread& operator=(const ModuleThread&) = delete;

    // Starts the thread; later calls do nothing.
    void start();
    [[nodiscard]] bool started() const { return m_started; }

    void post(std::function<void()> call);
    // Posts the call and waits for it to have run; the thread must have been started.
    void postAndWait(std::function<void()> call);

    // Ends the thread once the calls posted before have run, waiting for it until the deadline.
    // False when the thread is still held then (by a server that never answers): it is left
    // running to the end of the process, and so must be what its calls use.
    [[nodiscard]] bool finish(QDeadlineTimer deadline);

private:
    std::unique_ptr<QThread> m_thread;
    // Lives on the thread: the posted calls are queued to it.
    std::unique_ptr<QObject> m_context;
    bool m_started = false;
};

} // namespace trouvimo
