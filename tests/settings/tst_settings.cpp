#include "settings/ComputerSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace trouvimo;

using Kind = SettingsFinding::Kind;
Q_DECLARE_METATYPE(trouvimo::SettingsFinding::Kind)
Q_DECLARE_METATYPE(trouvimo::InstallOutcome)

// The computer's settings as a school's tools write them, and as the installer writes them.
class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void readsWhatTheFileGives_data();
    void readsWhatTheFileGives();
    void leavesAsideWhatItDoesNotUnderstand_data();
    void leavesAsideWhatItDoesNotUnderstand();
    void installerKeepsWhatTheSchoolChanged_data();
    void installerKeepsWhatTheSchoolChanged();
};

namespace {

// The settings as one line each: S(witch display), W(ords said), D(ifficult at start), M(y
// words window), F(amily words), H(old to quit), lower case where off.
QString letters(const ComputerSettings& settings)
{
    QString shown;
    shown += settings.switchDisplay ? u'S' : u's';
    shown += settings.sayWords ? u'W' : u'w';
    shown += settings.difficultAtStart ? u'D' : u'd';
    shown += settings.wordsWindow ? u'M' : u'm';
    shown += settings.familyWords ? u'F' : u'f';
    shown += settings.holdToQuit ? u'H' : u'h';
    return shown;
}

} // namespace

void SettingsTest::readsWhatTheFileGives_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("settings");

    QTest::newRow("no file: as without one") << QByteArray() << u"SWdMFh"_s;
    QTest::newRow("every key") << QByteArray(
        "[Trouvimo]\nSwitchDisplay=false\nSayWords=false\nDifficultAtStart=true\n"
        "WordsWindow=false\nFamilyWords=false\nHoldToQuit=true\n")
                               << u"swDmfH"_s;
    QTest::newRow("one key, the others as without the file")
        << QByteArray("[Trouvimo]\nSayWords=false\n") << u"SwdMFh"_s;
    QTest::newRow("Notepad: byte order mark, CR LF, spaces, any case")
        << QByteArray("\xEF\xBB\xBF[trouvimo]\r\n  switchdisplay = FALSE \r\n") << u"sWdMFh"_s;
    QTest::newRow("1 and 0, yes and no")
        << QByteArray("[Trouvimo]\nHoldToQuit=1\nSayWords=no\n") << u"SwdMFH"_s;
    QTest::newRow("the last of a key twice wins")
        << QByteArray("[Trouvimo]\nSayWords=false\nSayWords=true\n") << u"SWdMFh"_s;
    QTest::newRow("comments") << QByteArray("# the class\n[Trouvimo]\n; off\nHoldToQuit=true\n")
                              << u"SWdMFH"_s;
}

void SettingsTest::readsWhatTheFileGives()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, settings);
    const SettingsRead read = readComputerSettings(file);
    QCOMPARE(letters(read.settings), settings);
    QCOMPARE(read.findings.size(), 0);
}

void SettingsTest::leavesAsideWhatItDoesNotUnderstand_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("settings");

    QTest::newRow("a key before the group")
        << QByteArray("SayWords=false\n[Trouvimo]\n") << 1 << Kind::OutsideGroup << u"SWdMFh"_s;
    QTest::newRow("another group's keys")
        << QByteArray("[Trouvimo]\nHoldToQuit=true\n[Other]\nSayWords=false\n") << 3
        << Kind::OtherGroup << u"SWdMFH"_s;
    QTest::newRow("a key the game does not know")
        << QByteArray("[Trouvimo]\nSayWord=false\n") << 2 << Kind::UnknownKey << u"SWdMFh"_s;
    QTest::newRow("neither true nor false")
        << QByteArray("[Trouvimo]\n\nSayWords=maybe\n") << 3 << Kind::NotTrueOrFalse << u"SWdMFh"_s;
    QTest::newRow("no equals sign")
        << QByteArray("[Trouvimo]\nSayWords false\n") << 2 << Kind::NotALine << u"SWdMFh"_s;
    QTest::newRow("a value with no key")
        << QByteArray("[Trouvimo]\n=false\n") << 2 << Kind::NotALine << u"SWdMFh"_s;
}

void SettingsTest::leavesAsideWhatItDoesNotUnderstand()
{
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    QFETCH(Kind, kind);
    QFETCH(QString, settings);
    const SettingsRead read = readComputerSettings(file);
    QCOMPARE(read.findings.size(), 1);
    QCOMPARE(read.findings.first().line, line);
    QCOMPARE(read.findings.first().kind, kind);
    QCOMPARE(letters(read.settings), settings);
}

void SettingsTest::installerKeepsWhatTheSchoolChanged_data()
{
    // What lies at the settings' place before the installation ("none", "installed": what an
    // earlier installation wrote, "changed": that, changed since, "hand": a school's own file),
    // the installer's properties, the outcome, and the settings read afterwards.
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<InstallOutcome>("outcome");
    QTest::addColumn<QString>("settings");

    const QStringList quiet {u"SAYWORDS=0"_s, u"SWITCHDISPLAY=0"_s, u"WORDSWINDOW="_s};
    QTest::newRow("first installation")
        << u"none"_s << quiet << InstallOutcome::Written << u"swdMFh"_s;
    QTest::newRow("no property given: no file")
        << u"none"_s << QStringList {u"SAYWORDS="_s, u"OTHER=1"_s} << InstallOutcome::NothingGiven
        << u"SWdMFh"_s;
    QTest::newRow("an upgrade with new properties")
        << u"installed"_s << QStringList {u"HOLDTOQUIT=1"_s} << InstallOutcome::Written
        << u"SWdMFH"_s;
    QTest::newRow("a repair, given nothing, keeps the installed file")
        << u"installed"_s << QStringList() << InstallOutcome::NothingGiven << u"SwdMFh"_s;
    QTest::newRow("an upgrade keeps the file the school changed")
        << u"changed"_s << QStringList {u"HOLDTOQUIT=1"_s} << InstallOutcome::KeptChangedFile
        << u"SwdMFh"_s;
    QTest::newRow("an installation keeps a school's own file")
        << u"hand"_s << quiet << InstallOutcome::KeptChangedFile << u"SWDMFh"_s;
}

void SettingsTest::installerKeepsWhatTheSchoolChanged()
{
    QFETCH(QString, before);
    QFETCH(QStringList, properties);
    QFETCH(InstallOutcome, outcome);
    QFETCH(QString, settings);
    QTemporaryDir root;
    const QString file = root.filePath(u"Trouvimo/trouvimo.conf"_s);
    if (before != u"none") {
        GivenSettings earlier;
        earlier.sayWords = false;
        earlier.switchDisplay = before == u"installed";
        QByteArray bytes = installedSettingsFile(earlier);
        if (before == u"changed")
            bytes.replace("SwitchDisplay=false", "SwitchDisplay=true");
        if (before == u"hand")
            bytes = "[Trouvimo]\nDifficultAtStart=true\n";
        QCOMPARE(isUnchangedInstalledFile(bytes), before == u"installed");
        QVERIFY(QDir(root.path()).mkpath(u"Trouvimo"_s));
        QFile written(file);
        QVERIFY(written.open(QIODevice::WriteOnly));
        QCOMPARE(written.write(bytes), bytes.size());
        // Windows replaces no file that is still open.
        written.close();
    }
    QCOMPARE(installSettings(file, givenSettings(properties)), outcome);
    const SettingsRead read = loadComputerSettings(file);
    QCOMPARE(letters(read.settings), settings);
    QCOMPARE(read.findings.size(), 0);
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
