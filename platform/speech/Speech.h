#pragma once

#include <QString>

namespace trouvimo {

// Says a text aloud through the platform's speech synthesis, in the background: say() and stop()
// return at once. Without synthesis, or without a voice for the language, nothing is said and
// nothing is reported.
class Speech {
public:
    virtual ~Speech() = default;
    // Starts saying `text` in the language of `locale` (a QLocale name such as "fr_FR"), cutting
    // off whatever was being said.
    virtual void say(const QString& text, const QString& locale) = 0;
    // Cuts off whatever is being said, and drops what was asked for but not yet begun.
    virtual void stop() = 0;
};

} // namespace trouvimo
