#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace trouvimo {

// A voice the system's speech synthesis offers, with the languages it speaks as locale names
// ("fr-FR", "en-GB", or a language alone, "en").
struct VoiceOffer {
    QString name;
    QStringList languages;
};

// The voice that says the words of a language (a locale name such as "fr_FR" or "en_GB"): one
// that speaks the language as the locale's country does; otherwise one that speaks the language
// at all, the first listed; otherwise the system's default voice, which says the word as well as
// it can. std::nullopt when there is no voice at all.
[[nodiscard]] std::optional<qsizetype> chooseVoice(const QList<VoiceOffer>& voices,
                                                   const QString& locale, qsizetype defaultVoice);

} // namespace trouvimo
