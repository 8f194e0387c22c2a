#include "board/WordVoice.h"

#include "gamedata/Recordings.h"
#include "platform/sound/SoundPlayer.h"
#include "platform/speech/Speech.h"

#include <chrono>

namespace trouvimo {

namespace {

// How often a word that waits looks whether the cue before it is over: often enough that the word
// follows the cue as a voice would, seldom enough to cost nothing.
constexpr auto kQuietCheck = std::chrono::milliseconds(30);

} // namespace

WordVoice::WordVoice(const DataPaths& paths, SoundPlayer& sound, Speech& speech)
    : m_paths(paths)
    , m_sound(sound)
    , m_speech(speech)
{
    m_waitsForQuiet.setInterval(kQuietCheck);
    connect(&m_waitsForQuiet, &QTimer::timeout, this, &WordVoice::sayWhenQuiet);
}

void WordVoice::say(const QString& word, const LanguageData& language)
{
    m_speech.stop();
    m_word = word;
    m_language = &language;
    m_waitsForQuiet.start();
    sayWhenQuiet();
}

void WordVoice::stop()
{
    m_waitsForQuiet.stop();
    m_speech.stop();
}

void WordVoice::sayWhenQuiet()
{
    if (m_language == nullptr || m_sound.isPlaying())
        return;
    m_waitsForQuiet.stop();
    if (const std::optional<QString> recording = findRecording(m_paths, *m_language, m_word))
        m_sound.play(*recording);
    else
        // Synthesis says a word in capitals letter by letter, as an abbreviation.
        m_speech.say(m_word.toLower(), m_language->speechLocale);
}

} // namespace trouvimo
