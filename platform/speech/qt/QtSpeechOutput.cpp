// The speech module: says words through Qt's speech synthesis, on Linux through the speech
// server (speech-dispatcher), whose client the speech thread alone loads.

#include "platform/modules/QuietModules.h"
#include "platform/speech/SpeechOutput.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QObject>
#include <QTextToSpeech>

namespace trouvimo {

namespace {

class QtSpeechOutput final : public SpeechOutput {
public:
    explicit QtSpeechOutput(std::unique_ptr<QTextToSpeech> engine)
        : m_engine(std::move(engine))
    {
    }

    void say(const QString& text, const QString& locale) override
    {
        m_engine->stop();
        // The language is asked for as such, not looked up among the voices first: a speech
        // server that has just been started lists its voices only once its synthesiser is up,
        // and the first words would be lost.
        // Setting a language has the server list its voices again, which costs a second: it is
        // set when the language changes, not for every word.
        if (locale != m_locale) {
            m_engine->setLocale(QLocale(locale));
            m_locale = locale;
        }
        m_engine->say(text);
    }

    void stop() override { m_engine->stop(); }

private:
    std::unique_ptr<QTextToSpeech> m_engine;
    QString m_locale;
};

} // namespace

class QtSpeechOutputFactory final : public QObject, public SpeechOutputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoSpeechOutputFactory_iid)
    Q_INTERFACES(trouvimo::SpeechOutputFactory)

public:
    std::unique_ptr<SpeechOutput> create() override
    {
        QLoggingCategory::setFilterRules(QString::fromLatin1(kQuietModules));
        auto engine = std::make_unique<QTextToSpeech>();
        if (engine->state() == QTextToSpeech::Error)
            return nullptr;
        return std::make_unique<QtSpeechOutput>(std::move(engine));
    }
};

} // namespace trouvimo

#include "QtSpeechOutput.moc"
