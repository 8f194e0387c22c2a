// The speech module on Windows: says words through the system's own speech synthesis, SAPI 5,
// in a voice of the word's language. Only the speech thread loads it and talks to SAPI, so a
// speech engine that is slow to answer holds up nothing but that thread.

#include "platform/modules/QuietModules.h"
#include "platform/speech/SpeechOutput.h"
#include "platform/speech/VoiceChoice.h"

#include <QLoggingCategory>
#include <QObject>

// SAPI's header needs the Windows types declared before it, and initguid.h makes it define the
// voice classes' identifiers here rather than expect a library to.
#include <windows.h>

#include <initguid.h>

#include <sapi.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace trouvimo {

namespace {

QString fromWide(const wchar_t* text)
{
    return text == nullptr ? QString() : QString::fromWCharArray(text);
}

// A token's attribute ("Language", "Name"), as SAPI keeps it in the token's Attributes key.
QString attribute(ISpObjectToken* token, const wchar_t* name)
{
    ComPtr<ISpDataKey> attributes;
    if (FAILED(token->OpenKey(L"Attributes", &attributes)))
        return {};
    wchar_t* value = nullptr;
    if (FAILED(attributes->GetStringValue(name, &value)))
        return {};
    const QString text = fromWide(value);
    CoTaskMemFree(value);
    return text;
}

// SAPI lists a voice's languages as hexadecimal Windows language identifiers apart by semicolons
// ("409;9"); the voice choice reads locale names.
QStringList languagesOf(ISpObjectToken* token)
{
    QStringList languages;
    for (const QString& code : attribute(token, L"Language").split(u';', Qt::SkipEmptyParts)) {
        bool read = false;
        const LCID identifier = code.trimmed().toUInt(&read, 16);
        wchar_t name[LOCALE_NAME_MAX_LENGTH] {};
        if (read && LCIDToLocaleName(identifier, name, LOCALE_NAME_MAX_LENGTH, 0) > 0)
            languages.append(fromWide(name));
    }
    return languages;
}

class SapiSpeechOutput final : public SpeechOutput {
public:
    SapiSpeechOutput(ComPtr<ISpVoice> voice, std::vector<ComPtr<ISpObjectToken>> tokens,
                     QList<VoiceOffer> offers, qsizetype defaultVoice)
        : m_voice(std::move(voice))
        , m_tokens(std::move(tokens))
        , m_offers(std::move(offers))
        , m_defaultVoice(defaultVoice)
    {
    }

    ~SapiSpeechOutput() override
    {
        stop();
        m_voice.Reset();
        m_tokens.clear();
        CoUninitialize();
    }

    SapiSpeechOutput(const SapiSpeechOutput&) = delete;
    SapiSpeechOutput& operator=(const SapiSpeechOutput&) = delete;

    void say(const QString& text, const QString& locale) override
    {
        if (locale != m_locale) {
            m_locale = locale;
            const std::optional<qsizetype> chosen = chooseVoice(m_offers, locale, m_defaultVoice);
            if (chosen)
                m_voice->SetVoice(m_tokens[static_cast<std::size_t>(*chosen)].Get());
        }
        const std::wstring wide = text.toStdWString();
        m_voice->Speak(wide.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr);
    }

    // An empty text purges what this voice is saying and has queued, and nothing of any other
    // program's speech.
    void stop() override { m_voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr); }

private:
    ComPtr<ISpVoice> m_voice;
    std::vector<ComPtr<ISpObjectToken>> m_tokens;
    QList<VoiceOffer> m_offers;
    qsizetype m_defaultVoice = 0;
    QString m_locale;
};

// The installed voices, their offers for the choice, and which of them is the default.
struct InstalledVoices {
    std::vector<ComPtr<ISpObjectToken>> tokens;
    QList<VoiceOffer> offers;
    qsizetype defaultVoice = 0;
};

InstalledVoices installedVoices()
{
    InstalledVoices installed;
    ComPtr<ISpObjectTokenCategory> category;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL,
                                IID_PPV_ARGS(&category)))
        || FAILED(category->SetId(SPCAT_VOICES, FALSE)))
        return installed;
    wchar_t* defaultId = nullptr;
    const QString defaultToken =
        SUCCEEDED(category->GetDefaultTokenId(&defaultId)) ? fromWide(defaultId) : QString();
    CoTaskMemFree(defaultId);
    ComPtr<IEnumSpObjectTokens> tokens;
    if (FAILED(category->EnumTokens(nullptr, nullptr, &tokens)))
        return installed;
    ComPtr<ISpObjectToken> token;
    while (tokens->Next(1, &token, nullptr) == S_OK) {
        wchar_t* id = nullptr;
        if (SUCCEEDED(token->GetId(&id)) && fromWide(id) == defaultToken)
            installed.defaultVoice = static_cast<qsizetype>(installed.tokens.size());
        CoTaskMemFree(id);
        installed.offers.append({attribute(token.Get(), L"Name"), languagesOf(token.Get())});
        installed.tokens.push_back(std::move(token));
    }
    return installed;
}

} // namespace

class SapiSpeechOutputFactory final : public QObject, public SpeechOutputFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TrouvimoSpeechOutputFactory_iid)
    Q_INTERFACES(trouvimo::SpeechOutputFactory)

public:
    // Runs on the speech thread, which joins COM's multithreaded apartment for SAPI; without a
    // voice at all nothing is said.
    std::unique_ptr<SpeechOutput> create() override
    {
        QLoggingCategory::setFilterRules(QString::fromLatin1(kQuietModules));
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
            return nullptr;
        ComPtr<ISpVoice> voice;
        InstalledVoices installed = installedVoices();
        if (installed.tokens.empty()
            || FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&voice)))) {
            installed = {};
            CoUninitialize();
            return nullptr;
        }
        return std::make_unique<SapiSpeechOutput>(std::move(voice), std::move(installed.tokens),
                                                  std::move(installed.offers),
                                                  installed.defaultVoice);
    }
};

} // namespace trouvimo

#include "SapiSpeechOutput.moc"
