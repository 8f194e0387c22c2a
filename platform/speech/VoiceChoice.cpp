#include "platform/speech/VoiceChoice.h"

#include <QLocale>

namespace trouvimo {

namespace {

struct Spoken {
    QLocale::Language language = QLocale::AnyLanguage;
    QLocale::Territory territory = QLocale::AnyTerritory;
};

// A locale name as QLocale reads it, keeping apart a language named alone, which QLocale would
// give its most usual territory.
Spoken spoken(QString name)
{
    name.replace(u'-', u'_');
    const QLocale locale(name);
    return {locale.language(), name.contains(u'_') ? locale.territory() : QLocale::AnyTerritory};
}

} // namespace

std::optional<qsizetype> chooseVoice(const QList<VoiceOffer>& voices, const QString& locale,
                                     qsizetype defaultVoice)
{
    if (voices.isEmpty())
        return std::nullopt;
    const Spoken wanted = spoken(locale);
    std::optional<qsizetype> sameLanguage;
    for (qsizetype index = 0; index < voices.size(); ++index) {
        for (const QString& language : voices[index].languages) {
            const Spoken offered = spoken(language);
            if (offered.language != wanted.language)
                continue;
            if (offered.territory == wanted.territory)
                return index;
            if (!sameLanguage)
                sameLanguage = index;
        }
    }
    if (sameLanguage)
        return sameLanguage;
    return defaultVoice >= 0 && defaultVoice < voices.size() ? defaultVoice : 0;
}

} // namespace trouvimo
