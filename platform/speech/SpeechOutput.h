#pragma once

#include <QString>
#include <QtPlugin>

#include <memory>

// Between the game's speech, which lives in the game, and the speech synthesis, which lives in a
// module of its own (trouvimo_speech) so that Qt's speech module and the speech server's client
// are loaded only by the speech thread, once the first window is up.

namespace trouvimo {

// Made, used and dropped on the speech thread only.
class SpeechOutput {
public:
    virtual ~SpeechOutput() = default;
    virtual void say(const QString& text, const QString& locale) = 0;
    virtual void stop() = 0;
};

// What the module offers: the root object that QPluginLoader hands out implements this.
class SpeechOutputFactory {
public:
    virtual ~SpeechOutputFactory() = default;
    // Connects to the speech server; nullptr when there is none.
    [[nodiscard]] virtual std::unique_ptr<SpeechOutput> create() = 0;
};

} // namespace trouvimo

#define TrouvimoSpeechOutputFactory_iid "org.trouvimo.SpeechOutputFactory/1.0"
Q_DECLARE_INTERFACE(trouvimo::SpeechOutputFactory, TrouvimoSpeechOutputFactory_iid)
