// The speech module: says words through Qt's speech synthesis, on Linux through the speech
// server (speech-dispatcher), whose client the speech thread alone loads.

#include "platform/SpeechOutput.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QObject>
#include <QTextToSpeech>
#include <QVoice>

namespace trouvimo {

namespace {

// Qt's speech module reports a missing speech server with messages of its own, which a game that
// may run without speech must not print; QT_LOGGING_RULES="qt.speech*=true" brings them back.
constexpr auto quietSpeech = "qt.speech*=false";

class QtSpeechOutput final : public SpeechOutput {
public:
    explicit QtSpeechOutput(std::unique_ptr<QTextToSpeech> engine)
        : m_engine(std::move(engine))
    {
    }

    void say(const QString& text, const QString& locale) override
    {
        m_engine->stop();
        const QLocale wanted(locale);
        if (m_engine->locale() != wanted) {
            // A voice of the language itself, a French one for French words, or none at all:
            // a word said with another language's sounds teaches the child nothing.
            if (!m_engine->availableLocales().contains(wanted))
                return;
            m_engine->setLocale(wanted);
        }
        m_engine->say(text);
    }

    void stop() override { m_engine->stop(); }

private:
    std::unique_ptr<QTextToSpeech> m_engine;
};

} // namespace

class QtSpeechOutputFactory final : public QObject, public SpeechOutputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoSpeechOutputFactory_iid)
    Q_INTERFACES(trouvimo::SpeechOutputFactory)

public:
    std::unique_ptr<SpeechOutput> create() override
    {
        QLoggingCategory::setFilterRules(QString::fromLatin1(quietSpeech));
        auto engine = std::make_unique<QTextToSpeech>();
        if (engine->state() == QTextToSpeech::Error)
            return nullptr;
        return std::make_unique<QtSpeechOutput>(std::move(engine));
    }
};

} // namespace trouvimo

#include "QtSpeechOutput.moc"
