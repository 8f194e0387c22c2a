#pragma once

#include <QByteArray>
#include <QObject>

#include <vector>

namespace trouvimo {

// Why the microphone cannot be heard.
enum class MicrophoneFault {
    NoMicrophone, // no input at all: none plugged in, or no sound server to reach one through
    Busy, // the system would not open it: another program holds it, or access was refused
    Failed, // it stopped while it was heard
};

// The default microphone of the system, heard in the background: start() returns at once, and
// what it hears comes back through the signals on the thread that made it. The samples are
// mono, in [-1, 1], at the rate `started` gives.
class Microphone : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Looks whether the system has a microphone; `looked` answers.
    virtual void look() = 0;
    // Starts hearing the default microphone: `started` then `heard` again and again, or `failed`.
    virtual void start() = 0;
    // Stops hearing it; nothing more is heard after this returns.
    virtual void stop() = 0;
    // The samples as the bytes of a 16-bit PCM WAV file, which the game plays on every system;
    // empty when they cannot be encoded.
    [[nodiscard]] virtual QByteArray wav(const std::vector<float>& samples, int sampleRate) = 0;

signals:
    void looked(bool found);
    void started(int sampleRate);
    void heard(const std::vector<float>& samples);
    void failed(trouvimo::MicrophoneFault fault);
};

} // namespace trouvimo
