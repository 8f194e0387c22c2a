#pragma once

#include "platform/microphone/Microphone.h"
#include "platform/modules/ModuleThread.h"

#include <memory>

namespace trouvimo {

class MicrophoneHost;

// The microphone heard on a thread of its own through the microphone module
// (trouvimo_microphone), which the thread loads when it starts: Qt Multimedia's input and the
// sound server never hold up a window, and the game starts without them. Without the module or
// without a microphone, start() fails with NoMicrophone.
class MicrophoneThread final : public Microphone {
    Q_OBJECT

public:
    // module: the microphone module's file, as moduleIn() names it for the game.
    explicit MicrophoneThread(const QString& module, QObject* parent = nullptr);
    ~MicrophoneThread() override;

    MicrophoneThread(const MicrophoneThread&) = delete;
    MicrophoneThread& operator=(const MicrophoneThread&) = delete;

    // The microphone module in a directory: the game keeps it beside its sound module.
    [[nodiscard]] static QString moduleIn(const QString& directory);

    void look() override;
    void start() override;
    void stop() override;
    [[nodiscard]] QByteArray wav(const std::vector<float>& samples, int sampleRate) override;

private:
    // Used on the microphone's thread alone.
    std::unique_ptr<MicrophoneHost> m_host;
    ModuleThread m_thread;
    // Each start() is a take; what an earlier take still sends on its way is dropped.
    quint64 m_take = 0;
};

} // namespace trouvimo
