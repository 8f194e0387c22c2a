// The speech module on Linux: says words through the speech server, speech-dispatcher, with its
// own client library. The game has a connection of its own, so that stopping its voice cancels
// its own words alone and never a screen reader's, which speaks through the same server.

#include "platform/speech/SpeechOutput.h"

#include <QLocale>
#include <QObject>

#include <libspeechd.h>

#include <memory>

namespace trouvimo {

namespace {

// The server queues a message behind another message rather than cut either short. A screen
// reader such as Orca speaks at this priority: the game's word then waits for what the reader
// is saying, and the reader's next words wait for the word, so the child hears both whole. At
// the lower text priority a screen reader's every echo of a key would cut the word.
constexpr SPDPriority kPriority = SPD_MESSAGE;

struct ConnectionClose {
    void operator()(SPDConnection* connection) const { spd_close(connection); }
};
using Connection = std::unique_ptr<SPDConnection, ConnectionClose>;

class SpeechdOutput final : public SpeechOutput {
public:
    explicit SpeechdOutput(Connection connection)
        : m_connection(std::move(connection))
    {
    }

    void say(const QString& text, const QString& locale) override
    {
        spd_cancel(m_connection.get());
        // The server takes a language as "fr" or "en-GB"; the language is set when it changes
        // only, each setting being a round trip to the server.
        if (locale != m_locale) {
            const QString language = QLocale(locale).name().replace(u'_', u'-');
            spd_set_language(m_connection.get(), language.toUtf8().constData());
            m_locale = locale;
        }
        spd_say(m_connection.get(), kPriority, text.toUtf8().constData());
    }

    // Cancels this connection's messages only: what other clients say goes on.
    void stop() override { spd_cancel(m_connection.get()); }

private:
    Connection m_connection;
    QString m_locale;
};

} // namespace

class SpeechdOutputFactory final : public QObject, public SpeechOutputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoSpeechOutputFactory_iid)
    Q_INTERFACES(trouvimo::SpeechOutputFactory)

public:
    std::unique_ptr<SpeechOutput> create() override
    {
        // Opening starts the server when the desktop has none running yet. The speech thread
        // alone uses the connection, so the library needs no thread of its own to read replies.
        Connection connection(spd_open("trouvimo", "main", nullptr, SPD_MODE_SINGLE));
        if (!connection)
            return nullptr;
        return std::make_unique<SpeechdOutput>(std::move(connection));
    }
};

} // namespace trouvimo

#include "SpeechdOutput.moc"
