#include "mywords/VoiceTake.h"

#include <algorithm>
#include <cmath>

namespace trouvimo {

namespace {

// Stretches of a hundredth of a second: short enough to cut close to a word, long enough for a
// voice's loudness to be steady within one.
constexpr double kStretchSeconds = 0.01;

} // namespace

VoiceTake::VoiceTake(int sampleRate)
    : m_sampleRate(std::max(sampleRate, 1))
    , m_stretch(std::max(1L, seconds(kStretchSeconds)))
{
}

long VoiceTake::seconds(double duration) const
{
    return std::lround(duration * m_sampleRate);
}

void VoiceTake::judgeStretch(long begin)
{
    double energy = 0.0;
    for (long i = begin; i < begin + m_stretch; ++i) {
        const double sample = m_samples[static_cast<std::size_t>(i)];
        energy += sample * sample;
    }
    if (std::sqrt(energy / static_cast<double>(m_stretch)) < kVoiceLevel)
        return;
    if (m_firstVoiced < 0)
        m_firstVoiced = begin;
    m_lastVoiced = begin + m_stretch;
}

VoiceTake::Step VoiceTake::hear(const std::vector<float>& samples)
{
    Step step;
    const long longest = seconds(kLongestSeconds);
    const long room = std::max(0L, longest - static_cast<long>(m_samples.size()));
    const auto taken =
        static_cast<long>(std::min<std::size_t>(samples.size(), static_cast<std::size_t>(room)));
    m_samples.insert(m_samples.end(), samples.begin(), samples.begin() + taken);
    for (const float sample : samples)
        step.level = std::max(step.level, std::min(std::abs(sample), 1.0F));

    const auto held = static_cast<long>(m_samples.size());
    while (m_judged + m_stretch <= held) {
        judgeStretch(m_judged);
        m_judged += m_stretch;
    }
    const bool silentSince =
        heardAVoice() && m_judged - m_lastVoiced >= seconds(kSilenceAfterSeconds);
    step.over = held >= longest || silentSince;
    return step;
}

std::vector<float> VoiceTake::word() const
{
    if (!heardAVoice())
        return {};
    const long begin = std::max(0L, m_firstVoiced - seconds(kMarginBeforeSeconds));
    const long end =
        std::min(static_cast<long>(m_samples.size()), m_lastVoiced + seconds(kMarginAfterSeconds));
    return {m_samples.begin() + begin, m_samples.begin() + end};
}

} // namespace trouvimo
