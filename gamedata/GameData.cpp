#include "gamedata/GameData.h"

#include "platform/files/DataPaths.h"
#include "platform/sound/SoundPlayer.h"

using namespace Qt::StringLiterals;

namespace trouvimo {

QStringView cueFile(Cue cue)
{
    // The folder is written "Sons" in some places and "sons" in others; both find it.
    switch (cue) {
    case Cue::Greeting:
        return u"\\sons\\Logoff.wav";
    case Cue::BoardOpens:
        return u"\\Sons\\fanfare4.wav";
    case Cue::NextWord:
    case Cue::Goodbye:
        return u"\\Sons\\Chimes.wav";
    case Cue::TileChosen:
        return u"\\sons\\Camera.wav";
    case Cue::Reset:
        return u"\\sons\\Cashreg.wav";
    case Cue::Solved:
        return u"\\sons\\Tada.wav";
    }
    return {};
}

void playCue(Cue cue, const DataPaths& paths, SoundPlayer& player)
{
    if (const std::optional<QString> file = paths.resolve(paths.join(cueFile(cue))))
        player.play(*file);
}

const LanguageData& languageData(Language language)
{
    static const LanguageData french {
        u"TROUVIMO ..."_s,
        u"&Jouer"_s,
        u"&Quitter"_s,
        u"Niveau difficile"_s,
        u"C'EST FINI"_s,
        u"ListeMots.txt"_s,
        u"\\ListeMots.txt"_s,
        u"\\Images\\Mots\\"_s,
        u"\\Sons\\Mots\\"_s,
        u"fr_FR"_s,
        u"Voix"_s,
        u"Redire le mot"_s,
        u"Case %1"_s,
        u"Bravo ! %1"_s,
        u"Tenir 2 secondes"_s,
        u"pas dans le mot"_s,
        u"tuiles : %1"_s,
    };
    static const LanguageData english {
        u"Trouvimo ..."_s,
        u"&Play"_s,
        u"&Quit"_s,
        u"Difficult Level"_s,
        u"THE END"_s,
        u"ListeMotsAnglais.txt"_s,
        u"\\ListeMotsAnglais.txt"_s,
        u"\\Images\\MotsAnglais\\"_s,
        u"\\Sons\\MotsAnglais\\"_s,
        u"en_GB"_s,
        u"Voice"_s,
        u"Say the word again"_s,
        u"Box %1"_s,
        u"Well done! %1"_s,
        u"Hold 2 seconds"_s,
        u"not in the word"_s,
        u"tiles: %1"_s,
    };
    return language == Language::French ? french : english;
}

} // namespace trouvimo
