#include "platform/speech/VoiceChoice.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;

// The voice a word is said in, among those a system offers.
class VoiceChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void choosesTheWordsLanguage_data();
    void choosesTheWordsLanguage();
};

void VoiceChoiceTest::choosesTheWordsLanguage_data()
{
    // The voices offered, each "name:language,language", the default voice's index, the word's
    // locale, and the name of the voice chosen (empty: none).
    QTest::addColumn<QStringList>("voices");
    QTest::addColumn<int>("defaultVoice");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("chosen");

    const QStringList windows {u"David:en-US"_s, u"Hazel:en-GB"_s, u"Hortense:fr-FR"_s};
    QTest::newRow("French words, a French voice") << windows << 0 << u"fr_FR"_s << u"Hortense"_s;
    QTest::newRow("English words, the British voice first")
        << windows << 0 << u"en_GB"_s << u"Hazel"_s;
    QTest::newRow("English words, an American voice without a British one")
        << QStringList {u"Zira:en-US"_s, u"Hortense:fr-FR"_s} << 1 << u"en_GB"_s << u"Zira"_s;
    QTest::newRow("French words, a Canadian voice without one of France")
        << QStringList {u"David:en-US"_s, u"Caroline:fr-CA"_s} << 0 << u"fr_FR"_s << u"Caroline"_s;
    QTest::newRow("a voice of several languages")
        << QStringList {u"David:en-US"_s, u"Multi:de-DE,fr-FR"_s} << 0 << u"fr_FR"_s << u"Multi"_s;
    QTest::newRow("a language named alone")
        << QStringList {u"David:en-US"_s, u"Amélie:fr"_s} << 0 << u"fr_FR"_s << u"Amélie"_s;
    QTest::newRow("no voice of the language: the default")
        << QStringList {u"David:en-US"_s, u"Hedda:de-DE"_s} << 1 << u"fr_FR"_s << u"Hedda"_s;
    QTest::newRow("a voice without a language: the default")
        << QStringList {u"Wine:"_s} << 0 << u"fr_FR"_s << u"Wine"_s;
    QTest::newRow("no voice at all") << QStringList() << 0 << u"fr_FR"_s << QString();
}

void VoiceChoiceTest::choosesTheWordsLanguage()
{
    QFETCH(QStringList, voices);
    QFETCH(int, defaultVoice);
    QFETCH(QString, locale);
    QFETCH(QString, chosen);
    QList<VoiceOffer> offers;
    for (const QString& voice : voices) {
        const QStringList parts = voice.split(u':');
        offers.append({parts[0], parts[1].split(u',', Qt::SkipEmptyParts)});
    }
    const std::optional<qsizetype> choice = chooseVoice(offers, locale, defaultVoice);
    QCOMPARE(choice ? offers[*choice].name : QString(), chosen);
}

QTEST_GUILESS_MAIN(VoiceChoiceTest)
#include "tst_voicechoice.moc"
