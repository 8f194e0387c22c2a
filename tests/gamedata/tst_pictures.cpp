#include "gamedata/GameData.h"
#include "gamedata/Pictures.h"
#include "gamedata/WordFiles.h"
#include "platform/files/DataPaths.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;

// The index the check looks up words in, against findPicture(), which the game looks them up
// with: the same file for every word, in folders named as a family might name them.
class PicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void theIndexFindsWhatTheGameFinds_data();
    void theIndexFindsWhatTheGameFinds();
    void eachFolderIsListedOnce();
    void nameKeysMatchAsTheGameMatchesNames();

private:
    [[nodiscard]] QString disk(const QString& relative) const
    {
        return m_root.path() + u'/' + relative;
    }

    QTemporaryDir m_root;
};

void PicturesTest::initTestCase()
{
    // "own/" is the family's own folder; anything else lies in the game's data folder.
    QStringList files {
        u"Images/Mots/CHAT.gif"_s,
        u"Images/Mots/chat.png"_s,
        u"Images/Mots/LOUP.PNG"_s,
        u"Images/Mots/E\u0301TE\u0301.jpg"_s, // accents stored apart, as a Mac stores them
        u"Images/Mots/ZÈBRE.gif"_s,
        u"Images/Mots/OURS.png"_s,
        u"Images/Mots/tigre.png"_s,
        u"Images/Mots/rat.gif"_s,
        u"Images/Mots/.CACHÉ.webp"_s,
        u"Images/Mots/straße.gif"_s,
        u"Images/Mots/A/B.gif"_s,
        u"own/IMAGES/mots/Chat.webp"_s,
        u"own/IMAGES/mots/lion.JPEG"_s,
    };
#ifdef Q_OS_LINUX
    // Two names that differ in case alone, as only a file system that tells them apart holds.
    files.append(u"Images/Mots/zèbre.gif"_s);
#endif
    for (const QString& file : std::as_const(files)) {
        QVERIFY(QDir(m_root.path()).mkpath(QFileInfo(file).path()));
        QFile made(disk(file));
        QVERIFY(made.open(QIODevice::WriteOnly));
        made.write("GIF89a");
    }
    // A folder bearing a picture's name is no picture, and neither is a link to nothing.
    QVERIFY(QDir(m_root.path()).mkpath(u"Images/Mots/OURS.gif"_s));
    QVERIFY(QDir(m_root.path()).mkpath(u"own/IMAGES/mots/LOUP.gif"_s));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(disk(u"nowhere"_s), disk(u"Images/Mots/TIGRE.gif"_s)));
    QVERIFY(QFile::link(disk(u"nowhere"_s), disk(u"Images/Mots/RAT.gif"_s)));
#endif
}

void PicturesTest::theIndexFindsWhatTheGameFinds_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("picture"); // empty for none

    QTest::newRow("the family's own first") << u"CHAT"_s << u"own/IMAGES/mots/Chat.webp"_s;
    QTest::newRow("the family's own, in any case") << u"LION"_s << u"own/IMAGES/mots/lion.JPEG"_s;
    QTest::newRow("past a folder of the family's") << u"LOUP"_s << u"Images/Mots/LOUP.PNG"_s;
    QTest::newRow("accents stored apart") << u"ÉTÉ"_s << u"Images/Mots/E\u0301TE\u0301.jpg"_s;
    QTest::newRow("the name spelled exactly so") << u"ZÈBRE"_s << u"Images/Mots/ZÈBRE.gif"_s;
#ifdef Q_OS_LINUX
    QTest::newRow("in another case") << u"zèbre"_s << u"Images/Mots/zèbre.gif"_s;
#endif
    QTest::newRow("past a folder") << u"OURS"_s << u"Images/Mots/OURS.png"_s;
#ifdef Q_OS_UNIX
    QTest::newRow("past a link to nothing") << u"TIGRE"_s << u"Images/Mots/tigre.png"_s;
    // The link comes first in name order, and the game takes it for the word's GIF.
    QTest::newRow("a link to nothing first") << u"RAT"_s << QString();
#endif
    QTest::newRow("a hidden picture") << u".CACHÉ"_s << u"Images/Mots/.CACHÉ.webp"_s;
    QTest::newRow("capital sharp s") << u"STRAẞE"_s << u"Images/Mots/straße.gif"_s;
    QTest::newRow("double s") << u"STRASSE"_s << QString();
    QTest::newRow("a path under the folder") << u"A\\B"_s << u"Images/Mots/A/B.gif"_s;
    QTest::newRow("a path the game refuses") << u"A/B"_s << QString();
    QTest::newRow("a path out of the folder") << u"..\\..\\X"_s << QString();
    QTest::newRow("no picture") << u"KOALA"_s << QString();
}

void PicturesTest::theIndexFindsWhatTheGameFinds()
{
    QFETCH(QString, word);
    QFETCH(QString, picture);

    const DataPaths paths(m_root.path(), {disk(u"own"_s)});
    const LanguageData& french = languageData(Language::French);
    const WordFileIndex index(paths, french.pictureFolder, pictureSuffixes());
    const std::optional<QString> expected =
        picture.isEmpty() ? std::nullopt : std::optional(disk(picture));
    QCOMPARE(index.fileOf(word), expected);

    std::optional<QString> theGames = findPicture(paths, french, word);
    if (theGames && !QFileInfo(*theGames).isFile())
        theGames.reset();
    QCOMPARE(theGames, expected);
}

void PicturesTest::eachFolderIsListedOnce()
{
    const WordFileIndex index(DataPaths(m_root.path(), {disk(u"own"_s)}),
                              languageData(Language::French).pictureFolder, pictureSuffixes());
    QCOMPARE(index.folders().size(), 2);
    QCOMPARE(index.folders()[0].directory, disk(u"own"_s));
    QCOMPARE(index.folders()[0].path, disk(u"own/IMAGES/mots"_s));
    QCOMPARE(index.folders()[0].entries.size(), 3);
    QCOMPARE(index.folders()[1].path, disk(u"Images/Mots"_s));

    const WordFileIndex english(DataPaths(m_root.path(), {disk(u"own"_s)}),
                                languageData(Language::English).pictureFolder, pictureSuffixes());
    QVERIFY(english.folders().isEmpty());
    QCOMPARE(english.fileOf(u"CAT"_s), std::nullopt);
}

// Names drawn from letters that fold in every way there is: two names share a key exactly when
// DataPaths takes either for the other (the same once composed, whatever the case).
void PicturesTest::nameKeysMatchAsTheGameMatchesNames()
{
    const QStringList letters {
        u"a"_s,          u"A"_s,          u"é"_s,      u"E\u0301"_s, u"e"_s, u"ß"_s,      u"ẞ"_s,
        u"s"_s,          u"K"_s,          u"\u212A"_s, u"k"_s,       u"Σ"_s, u"σ"_s,      u"ς"_s,
        u"ǅ"_s,          u"ǆ"_s,          u"Ǆ"_s,      u"İ"_s,       u"i"_s, u"ı"_s,      u"I"_s,
        u"\U00010400"_s, u"\U00010428"_s, u"ﬀ"_s,      u"."_s,       u"Å"_s, u"\u212B"_s, u"å"_s,
    };
    QRandomGenerator random(23);
    QStringList names;
    for (int i = 0; i < 600; ++i) {
        QString name;
        const int length = random.bounded(4);
        for (int j = 0; j < length; ++j)
            name += letters[random.bounded(letters.size())];
        names.append(name);
    }
    for (const QString& a : std::as_const(names)) {
        const QString aKey = WordFileIndex::nameKey(a);
        const QString aComposed = a.normalized(QString::NormalizationForm_C);
        for (const QString& b : std::as_const(names)) {
            const bool sameName =
                QString::compare(aComposed, b.normalized(QString::NormalizationForm_C),
                                 Qt::CaseInsensitive)
                == 0;
            if (sameName != (aKey == WordFileIndex::nameKey(b)))
                QFAIL(qPrintable(u"\"%1\" and \"%2\""_s.arg(a, b)));
        }
    }
}

QTEST_GUILESS_MAIN(PicturesTest)
#include "tst_pictures.moc"
