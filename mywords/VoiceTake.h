#pragma once

#include <vector>

namespace trouvimo {

// One take of a word said into the microphone, heard as it comes: whether it is over, how loud
// it is now, and the word with the silence before and after it cut off. A take is over after a
// short silence once a voice was heard, or after a few seconds whatever was heard.
class VoiceTake {
public:
    explicit VoiceTake(int sampleRate);

    // The level of the sound just heard, 0 to 1, and whether the take is over.
    struct Step {
        float level = 0.0F;
        bool over = false;
    };
    Step hear(const std::vector<float>& samples);

    // Whether a voice was heard: a take of silence alone tells of a microphone that hears nothing.
    [[nodiscard]] bool heardAVoice() const { return m_firstVoiced >= 0; }
    // The take from a little before the voice began to a little after it ended; empty without one.
    [[nodiscard]] std::vector<float> word() const;
    [[nodiscard]] int sampleRate() const { return m_sampleRate; }

    // A stretch of sound is a voice when its loudness (root mean square) reaches this; a quiet
    // room heard through a microphone stays well below it.
    static constexpr float kVoiceLevel = 0.02F;
    static constexpr double kLongestSeconds = 5.0;
    static constexpr double kSilenceAfterSeconds = 0.8;
    static constexpr double kMarginBeforeSeconds = 0.1;
    static constexpr double kMarginAfterSeconds = 0.2;

private:
    [[nodiscard]] long seconds(double duration) const;
    void judgeStretch(long begin);

    int m_sampleRate;
    long m_stretch; // samples in each stretch whose loudness is judged
    std::vector<float> m_samples;
    long m_judged = 0; // samples judged so far, a whole number of stretches
    long m_firstVoiced = -1; // first sample of the first voiced stretch
    long m_lastVoiced = -1; // end of the last voiced stretch
};

} // namespace trouvimo
