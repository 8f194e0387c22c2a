#pragma once

#include "platform/microphone/Microphone.h"

#include <QByteArray>
#include <QtPlugin>

#include <functional>
#include <memory>
#include <vector>

// Between the microphone the window uses, which lives in the game, and its input, which lives in
// a module of its own (trouvimo_microphone) so that Qt Multimedia and the sound server's libraries
// are loaded by the microphone's thread alone, when the window that records opens.

namespace trouvimo {

// What the input tells, called on the microphone's thread.
struct MicrophoneEvents {
    std::function<void(int sampleRate)> started;
    std::function<void(std::vector<float> samples)> heard;
    std::function<void(MicrophoneFault fault)> failed;
};

// Hears the default microphone; made, used and stopped on the microphone's thread only.
class MicrophoneInput {
public:
    virtual ~MicrophoneInput() = default;
    [[nodiscard]] virtual bool findInput() = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
};

// What the module offers: the root object that QPluginLoader hands out implements this.
class MicrophoneInputFactory {
public:
    virtual ~MicrophoneInputFactory() = default;
    [[nodiscard]] virtual std::unique_ptr<MicrophoneInput> create(MicrophoneEvents events) = 0;
    [[nodiscard]] virtual QByteArray wav(const std::vector<float>& samples, int sampleRate) = 0;
};

} // namespace trouvimo

#define TrouvimoMicrophoneInputFactory_iid "org.trouvimo.MicrophoneInputFactory/1.0"
Q_DECLARE_INTERFACE(trouvimo::MicrophoneInputFactory, TrouvimoMicrophoneInputFactory_iid)
