#pragma once

#include "gamedata/GameData.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace trouvimo {

class DataPaths;
class SoundPlayer;
class Speech;

// Says the board's words aloud: in the family's recording of the word when there is one
// (findRecording()), by speech synthesis in the word's language otherwise. A word is never said
// over another sound: one asked for while a cue plays waits until the cue is over, and whoever
// plays a cue stops the word first.
class WordVoice final : public QObject {
public:
    WordVoice(const DataPaths& paths, SoundPlayer& sound, Speech& speech);

    // Says the word (in capitals, as the board holds it) once nothing else is heard; the word
    // being said, or waiting to be, gives way to it.
    void say(const QString& word, const LanguageData& language);
    // Cuts off the synthesised word and drops a word waiting for quiet. A recording is a sound of
    // the sound player, which the next sound cuts off.
    void stop();

    // Whether a word waits for the sounds to end.
    [[nodiscard]] bool waiting() const { return m_waitsForQuiet.isActive(); }

private:
    void sayWhenQuiet();

    const DataPaths& m_paths;
    SoundPlayer& m_sound;
    Speech& m_speech;
    QTimer m_waitsForQuiet;
    QString m_word;
    const LanguageData* m_language = nullptr;
};

} // namespace trouvimo
