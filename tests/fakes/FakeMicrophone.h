#pragma once

#include "platform/microphone/Microphone.h"

#include <QByteArray>

#include <optional>

namespace trouvimo {

// A microphone that a test speaks through: start() answers with the rate or the fault the test
// set, hear() delivers samples as the real one would, and wav() marks its bytes with the number of
// samples it was handed.
class FakeMicrophone final : public Microphone {
public:
    void look() override { emit looked(!fault); }
    void start() override
    {
        ++starts;
        listening = !fault;
        if (fault)
            emit failed(*fault);
        else
            emit started(rate);
    }
    void stop() override { listening = false; }
    [[nodiscard]] QByteArray wav(const std::vector<float>& samples, int sampleRate) override
    {
        return QByteArrayLiteral("RIFF fake ") + QByteArray::number(qint64(samples.size()))
            + QByteArrayLiteral(" at ") + QByteArray::number(sampleRate);
    }

    // Sends the samples to whoever listens, as long as the microphone is on.
    void hear(const std::vector<float>& samples)
    {
        if (listening)
            emit heard(samples);
    }

    std::optional<MicrophoneFault> fault;
    int rate = 8000;
    int starts = 0;
    bool listening = false;
};

} // namespace trouvimo
