#pragma once

#include "platform/speech/Speech.h"

#include <QString>

#include <utility>
#include <vector>

namespace trouvimo {

// Speech synthesis that records what it was asked to say (text and locale) and how often it was
// stopped.
class FakeSpeech final : public Speech {
public:
    void say(const QString& text, const QString& locale) override
    {
        said.emplace_back(text, locale);
    }
    void stop() override { ++stops; }

    std::vector<std::pair<QString, QString>> said;
    int stops = 0;
};

} // namespace trouvimo
