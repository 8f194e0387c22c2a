#include "platform/files/DataPaths.h"
#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;

class DataPathsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void joinKeepsTheTextAsWritten();
    void directoryIsAbsoluteWithoutTrailingSeparator();
    void resolvesWhateverTheCase_data();
    void resolvesWhateverTheCase();
    void refuses_data();
    void refuses();
    void exactSpellingWinsOverOtherCases();
    void ownFolderLendsFileByFile_data();
    void ownFolderLendsFileByFile();
    void firstFileOfSeveral_data();
    void firstFileOfSeveral();
    void familyThenClassThenGame_data();
    void familyThenClassThenGame();
    void firstTrouvimoFolderOfAList_data();
    void firstTrouvimoFolderOfAList();

private:
    void createFile(const QString& relative);
    QString disk(const QString& relative) const { return m_root.path() + u'/' + relative; }

    QTemporaryDir m_root;
};

void DataPathsTest::createFile(const QString& relative)
{
    const QString path = disk(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void DataPathsTest::initTestCase()
{
    QVERIFY(m_root.isValid());
    createFile(u"Sons/Logoff.wav"_s);
    createFile(u"Sons/Chimes.wav"_s);
    createFile(u"Images/Mots/CHAT.gif"_s);
    createFile(u"Images/Mots/ÉLÉPHANT.gif"_s);
    createFile(u"Images/MotsAnglais/CAT.gif"_s);
    createFile(u"Images/Mots/E\u0301TE\u0301.gif"_s);
    createFile(u"Images/Mots/\u00C7A.gif"_s);
    createFile(u"ListeMots.txt"_s);
    createFile(u"Twins/Same.txt"_s);
    createFile(u"Twins/same.txt"_s);
    createFile(u"Twins/SAME.TXT"_s);
    createFile(u"own/listemots.txt"_s);
    createFile(u"own/IMAGES/Mots/Chat.GIF"_s);
    createFile(u"own/IMAGES/Mots/éléphant.jpg"_s);
    createFile(u"Images/Mots/LOUP.png"_s);
    QVERIFY(QDir().mkpath(disk(u"own/Sons/Chimes.wav"_s)));
}

void DataPathsTest::joinKeepsTheTextAsWritten()
{
    const DataPaths paths(m_root.path());
    QCOMPARE(paths.join(u"\\sons\\Logoff.wav"), m_root.path() + u"\\sons\\Logoff.wav"_s);
}

void DataPathsTest::directoryIsAbsoluteWithoutTrailingSeparator()
{
    QCOMPARE(DataPaths(m_root.path() + u"/"_s).dataDirectory(), m_root.path());
    QCOMPARE(DataPaths(m_root.path() + u"/Sons/.."_s).dataDirectory(), m_root.path());
    const DataPaths root(u"/"_s);
    QCOMPARE(root.dataDirectory(), QString());
    QCOMPARE(root.resolve(u"\\tmp"_s), u"/tmp"_s);
    QVERIFY(QDir::isAbsolutePath(DataPaths(u"relative/dir"_s).dataDirectory()));
}

void DataPathsTest::resolvesWhateverTheCase_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("expected");

    QTest::newRow("lower-case folder") << u"\\sons\\Logoff.wav"_s << u"Sons/Logoff.wav"_s;
    QTest::newRow("exact spelling") << u"\\Sons\\Chimes.wav"_s << u"Sons/Chimes.wav"_s;
    QTest::newRow("upper-case file name")
        << u"\\Images\\Mots\\chat.gif"_s << u"Images/Mots/CHAT.gif"_s;
    QTest::newRow("every component")
        << u"\\IMAGES\\motsanglais\\cat.GIF"_s << u"Images/MotsAnglais/CAT.gif"_s;
    QTest::newRow("accented letters")
        << u"\\Images\\Mots\\éléphant.gif"_s << u"Images/Mots/ÉLÉPHANT.gif"_s;
    QTest::newRow("accents stored apart on disk")
        << u"\\Images\\Mots\\\u00C9T\u00C9.gif"_s << u"Images/Mots/E\u0301TE\u0301.gif"_s;
    QTest::newRow("accents stored apart in the name asked for, in another case")
        << u"\\Images\\Mots\\c\u0327a.GIF"_s << u"Images/Mots/\u00C7A.gif"_s;
    QTest::newRow("file in the directory itself") << u"\\listemots.TXT"_s << u"ListeMots.txt"_s;
    QTest::newRow("missing file keeps its name") << u"\\Sons\\Absent.wav"_s << u"Sons/Absent.wav"_s;
    QTest::newRow("missing folder keeps the rest")
        << u"\\Musique\\sons\\Logoff.wav"_s << u"Musique/sons/Logoff.wav"_s;
    QTest::newRow("file used as a folder") << u"\\ListeMots.txt\\x"_s << u"ListeMots.txt/x"_s;
}

void DataPathsTest::resolvesWhateverTheCase()
{
    QFETCH(QString, relative);
    QFETCH(QString, expected);
    const DataPaths paths(m_root.path());
    QCOMPARE(paths.resolve(paths.join(relative)), disk(expected));
}

void DataPathsTest::refuses_data()
{
    QTest::addColumn<QString>("written");

    const QString root = m_root.path();
    QTest::newRow("climbing out") << root + u"\\..\\..\\etc\\passwd"_s;
    QTest::newRow("climbing out at the end") << root + u"\\Sons\\.."_s;
    QTest::newRow("current directory") << root + u"\\.\\Sons\\Logoff.wav"_s;
    QTest::newRow("slash inside a component") << root + u"\\a/b"_s;
    QTest::newRow("slash to climb out") << root + u"\\Sons\\../../etc/passwd"_s;
    QTest::newRow("empty component") << root + u"\\Sons\\\\Logoff.wav"_s;
    QTest::newRow("trailing separator") << root + u"\\Sons\\"_s;
    QTest::newRow("nothing after the directory") << root + u"\\"_s;
    QTest::newRow("the directory alone") << root;
    QTest::newRow("NUL inside a name") << root + u"\\Sons\\Logoff.wav"_s + QChar(u'\0') + u".txt"_s;
    QTest::newRow("another directory") << u"/etc\\passwd"_s;
    QTest::newRow("directory name as a prefix") << root + u"x\\Sons\\Logoff.wav"_s;
    QTest::newRow("slash after the directory") << root + u"/Sons\\Logoff.wav"_s;
    QTest::newRow("empty") << QString();
}

void DataPathsTest::refuses()
{
    QFETCH(QString, written);
    QCOMPARE(DataPaths(m_root.path()).resolve(written), std::nullopt);
}

void DataPathsTest::exactSpellingWinsOverOtherCases()
{
    const DataPaths paths(m_root.path());
    QCOMPARE(paths.resolve(paths.join(u"\\twins\\same.txt")), disk(u"Twins/same.txt"_s));
    QCOMPARE(paths.resolve(paths.join(u"\\twins\\SAME.TXT")), disk(u"Twins/SAME.TXT"_s));
    // No exact spelling: the choice is the first name in order, whatever the disk lists first.
    QCOMPARE(paths.resolve(paths.join(u"\\twins\\sAmE.txt")), disk(u"Twins/SAME.TXT"_s));
}

void DataPathsTest::ownFolderLendsFileByFile_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("expected");

    QTest::newRow("own list") << u"\\ListeMots.txt"_s << u"own/listemots.txt"_s;
    QTest::newRow("own picture") << u"\\Images\\Mots\\CHAT.gif"_s << u"own/IMAGES/Mots/Chat.GIF"_s;
    QTest::newRow("game's picture beside an own one")
        << u"\\Images\\Mots\\ÉLÉPHANT.gif"_s << u"Images/Mots/ÉLÉPHANT.gif"_s;
    QTest::newRow("folder named like a file") << u"\\Sons\\Chimes.wav"_s << u"Sons/Chimes.wav"_s;
    QTest::newRow("missing in both") << u"\\Sons\\Absent.wav"_s << u"Sons/Absent.wav"_s;
}

void DataPathsTest::ownFolderLendsFileByFile()
{
    QFETCH(QString, relative);
    QFETCH(QString, expected);
    const DataPaths paths(m_root.path(), {disk(u"own"_s)});
    QCOMPARE(paths.directories(), QStringList({disk(u"own"_s), m_root.path()}));
    QCOMPARE(paths.resolve(paths.join(relative)), disk(expected));
    QCOMPARE(paths.resolve(paths.join(u"\\..\\own\\ListeMots.txt")), std::nullopt);
}

void DataPathsTest::firstFileOfSeveral_data()
{
    QTest::addColumn<QStringList>("relative");
    // Empty when the paths are refused.
    QTest::addColumn<QString>("expected");

    QTest::newRow("the first that is there")
        << QStringList {u"\\Images\\Mots\\CHAT.gif"_s, u"\\Images\\Mots\\CHAT.png"_s}
        << u"own/IMAGES/Mots/Chat.GIF"_s;
    QTest::newRow("the own folder's before the data folder's")
        << QStringList {u"\\Images\\Mots\\ÉLÉPHANT.gif"_s, u"\\Images\\Mots\\ÉLÉPHANT.png"_s,
                        u"\\Images\\Mots\\ÉLÉPHANT.jpg"_s}
        << u"own/IMAGES/Mots/éléphant.jpg"_s;
    QTest::newRow("a later one in the data folder")
        << QStringList {u"\\Images\\Mots\\LOUP.gif"_s, u"\\Images\\Mots\\LOUP.png"_s}
        << u"Images/Mots/LOUP.png"_s;
    QTest::newRow("none: the first, in the data folder")
        << QStringList {u"\\Images\\Mots\\OURS.gif"_s, u"\\Images\\Mots\\OURS.png"_s}
        << u"Images/Mots/OURS.gif"_s;
    QTest::newRow("one refused") << QStringList {u"\\Images\\Mots\\CHAT.gif"_s, u"\\..\\x.png"_s}
                                 << QString();
}

void DataPathsTest::firstFileOfSeveral()
{
    QFETCH(QStringList, relative);
    QFETCH(QString, expected);
    const DataPaths paths(m_root.path(), {disk(u"own"_s)});
    QStringList written;
    for (const QString& path : relative)
        written.append(paths.join(path));
    QCOMPARE(paths.resolveFirstFile(written),
             expected.isEmpty() ? std::nullopt : std::optional(disk(expected)));
}

void DataPathsTest::familyThenClassThenGame_data()
{
    // Which folders hold a list of their own ("family", "class", "game"), whether the computer
    // lets the family's be read, and the folder whose list plays.
    QTest::addColumn<QStringList>("holding");
    QTest::addColumn<bool>("familyWords");
    QTest::addColumn<QString>("plays");

    const QStringList all {u"family"_s, u"class"_s, u"game"_s};
    QTest::newRow("the family's first") << all << true << u"family"_s;
    QTest::newRow("the class's without a family list")
        << QStringList {u"class"_s, u"game"_s} << true << u"class"_s;
    QTest::newRow("the class's where the family's is left aside") << all << false << u"class"_s;
    QTest::newRow("the family's over the game's without a class list")
        << QStringList {u"family"_s, u"game"_s} << true << u"family"_s;
    QTest::newRow("the game's where the family's is left aside")
        << QStringList {u"family"_s, u"game"_s} << false << u"game"_s;
}

void DataPathsTest::familyThenClassThenGame()
{
    QFETCH(QStringList, holding);
    QFETCH(bool, familyWords);
    QFETCH(QString, plays);
    QTemporaryDir root;
    for (const QString& folder : holding) {
        QVERIFY(QDir(root.path()).mkpath(folder));
        QFile list(root.filePath(folder + u"/ListeMots.txt"_s));
        QVERIFY(list.open(QIODevice::WriteOnly));
    }
    GameFolders folders;
    folders.data = root.filePath(u"game"_s);
    folders.own = root.filePath(u"family"_s);
    folders.classroom = root.filePath(u"class"_s);
    const DataPaths paths(folders.data, folders.lendingFolders(familyWords));
    QCOMPARE(paths.resolve(paths.join(u"\\ListeMots.txt")),
             root.filePath(plays + u"/ListeMots.txt"_s));
}

void DataPathsTest::firstTrouvimoFolderOfAList_data()
{
    // The folders of the list that have a "trouvimo" folder, the list, and the one chosen.
    QTest::addColumn<QStringList>("having");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("none has one: the first") << QStringList() << u"a:b"_s << u"a"_s;
    QTest::newRow("the first that has one") << QStringList {u"b"_s, u"c"_s} << u"a:b:c"_s << u"b"_s;
    QTest::newRow("empty entries skipped") << QStringList() << u"::b:"_s << u"b"_s;
    QTest::newRow("an empty list: the fallback") << QStringList() << QString() << u"fallback"_s;
}

void DataPathsTest::firstTrouvimoFolderOfAList()
{
    QFETCH(QStringList, having);
    QFETCH(QString, list);
    QFETCH(QString, chosen);
    QTemporaryDir root;
    for (const QString& folder : having)
        QVERIFY(QDir(root.path()).mkpath(folder + u"/trouvimo"_s));
    QStringList folders;
    for (const QString& folder : list.split(u':'))
        folders.append(folder.isEmpty() ? QString() : root.filePath(folder));
    QCOMPARE(firstTrouvimoFolder(folders.join(u':'), root.filePath(u"fallback"_s)),
             root.filePath(chosen + u"/trouvimo"_s));
}

QTEST_GUILESS_MAIN(DataPathsTest)
#include "tst_datapaths.moc"
