#include "mywords/FamilyWords.h"
#include "mywords/ListDocument.h"
#include "mywords/MyWordsAccess.h"
#include "mywords/VoiceTake.h"
#include "words/WordList.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace trouvimo;

Q_DECLARE_METATYPE(trouvimo::EditRefusal)

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::vector<float> tone(double seconds, int rate, float amplitude)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude * static_cast<float>(std::sin(0.2 * static_cast<double>(i)));
    return samples;
}

} // namespace

class ListEditsTest : public QObject {
    Q_OBJECT

private slots:
    void edits_data();
    void edits();
    void aFullListTakesNoMoreWords();
    void photoPlans_data();
    void photoPlans();
    void takes_data();
    void takes();
    void theFamilyFolderIsWrittenWholeOrNotAtAll();
    void whoseWordsTheWindowEdits_data();
    void whoseWordsTheWindowEdits();
};

void ListEditsTest::edits_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<EditRefusal>("refusal");
    QTest::addColumn<int>("otherLine");

    const auto add = u"add"_s;
    const auto rename = u"rename"_s;
    const auto remove = u"remove"_s;
    const auto ok = EditRefusal::None;
    // Line ends and encodings kept.
    QTest::newRow("CR LF") << "chat\r\n"_ba << add << 0 << QString() << u"chien"_s
                           << "chat\r\nchien\r\n"_ba << ok << 0;
    QTest::newRow("LF, no last line end") << "chat\nchien"_ba << add << 0 << QString() << u"loup"_s
                                          << "chat\nchien\nloup"_ba << ok << 0;
    QTest::newRow("CR") << "a\rb\r"_ba << add << 0 << QString() << u"c"_s << "a\rb\rc\r"_ba << ok
                        << 0;
    QTest::newRow("one line, no line end")
        << "chat"_ba << add << 0 << QString() << u"chien"_s << "chat\nchien"_ba << ok << 0;
    QTest::newRow("empty list") << QByteArray() << add << 0 << QString() << u"chat"_s << "chat\n"_ba
                                << ok << 0;
    QTest::newRow("skipped lines stay where they were")
        << "\r\nhippopotamuses\r\n  chat \r\n"_ba << add << 0 << QString() << u"chien"_s
        << "\r\nhippopotamuses\r\n  chat \r\nchien\r\n"_ba << ok << 0;
    QTest::newRow("Windows-1252 kept") << "\xe9t\xe9\r\n"_ba << add << 0 << QString() << u"zèbre"_s
                                       << "\xe9t\xe9\r\nz\xe8"
                                          "bre\r\n"_ba
                                       << ok << 0;
    QTest::newRow("œ is in Windows-1252") << "\xe9t\xe9\r\n"_ba << add << 0 << QString() << u"œuf"_s
                                          << "\xe9t\xe9\r\n\x9c"
                                             "uf\r\n"_ba
                                          << ok << 0;
    QTest::newRow("Windows-1252 cannot hold ĉ: UTF-8")
        << "\xe9t\xe9\r\n"_ba << add << 0 << QString() << u"ĉapelo"_s
        << "\xc3\xa9t\xc3\xa9\r\n\xc4\x89"
           "apelo\r\n"_ba
        << ok << 0;
    QTest::newRow("ASCII list, accented word: UTF-8")
        << "chat\r\n"_ba << add << 0 << QString() << u"été"_s << "chat\r\n\xc3\xa9t\xc3\xa9\r\n"_ba
        << ok << 0;
    QTest::newRow("byte-order mark kept") << "\xef\xbb\xbf"
                                             "chat\n"_ba
                                          << add << 0 << QString() << u"été"_s
                                          << "\xef\xbb\xbf"
                                             "chat\n\xc3\xa9t\xc3\xa9\n"_ba
                                          << ok << 0;
    QTest::newRow("spaces around, accent apart")
        << "chat\n"_ba << add << 0 << QString() << u" \tche\u0301vre "_s
        << "chat\nch\xc3\xa9vre\n"_ba << ok << 0;
    // Refused words write nothing.
    QTest::newRow("empty") << "chat\n"_ba << add << 0 << QString() << u" \t "_s << "chat\n"_ba
                           << EditRefusal::Empty << 0;
    QTest::newRow("thirteen letters")
        << "chat\r\n"_ba << add << 0 << QString() << u"abcdefghijklm"_s << "chat\r\n"_ba
        << EditRefusal::TooLong << 0;
    QTest::newRow("ß is two tiles") << "chat\n"_ba << add << 0 << QString() << u"ßßßßßßß"_s
                                    << "chat\n"_ba << EditRefusal::TooLong << 0;
    QTest::newRow("twelve tiles of emoji")
        << "chat\n"_ba << add << 0 << QString() << QString(u"👍🏽"_s).repeated(12)
        << QByteArray("chat\n" + QString(u"👍🏽"_s).repeated(12).toUtf8() + "\n") << ok << 0;
    QTest::newRow("duplicate, in capitals")
        << "\r\nchat\r\n"_ba << add << 0 << QString() << u"CHAT"_s << "\r\nchat\r\n"_ba
        << EditRefusal::Duplicate << 2;
    QTest::newRow("a line end inside") << "chat\n"_ba << add << 0 << QString() << u"ch\nat"_s
                                       << "chat\n"_ba << EditRefusal::NotOneLine << 0;
    QTest::newRow("a tab inside") << "chat\n"_ba << add << 0 << QString() << u"ch\tat"_s
                                  << "chat\n"_ba << EditRefusal::NotOneLine << 0;
    // Renames touch the word alone.
    QTest::newRow("rename") << "chat\r\nchta\r\nloup"_ba << rename << 2 << u"chta"_s << u"chien"_s
                            << "chat\r\nchien\r\nloup"_ba << ok << 0;
    QTest::newRow("rename keeps the spaces around")
        << " chta \t\n"_ba << rename << 1 << u"chta"_s << u"chat"_s << " chat \t\n"_ba << ok << 0;
    QTest::newRow("rename finds the word moved")
        << "\nloup\n"_ba << rename << 1 << u"loup"_s << u"lion"_s << "\nlion\n"_ba << ok << 0;
    QTest::newRow("rename onto a later word")
        << "chta\r\nchat\r\n"_ba << rename << 1 << u"chta"_s << u"Chat"_s << "chta\r\nchat\r\n"_ba
        << EditRefusal::Duplicate << 2;
    QTest::newRow("rename a word gone") << "chat\n"_ba << rename << 1 << u"chta"_s << u"chien"_s
                                        << "chat\n"_ba << EditRefusal::Gone << 0;
    QTest::newRow("rename into UTF-8")
        << "\xe9t\xe9\nchat\n"_ba << rename << 2 << u"chat"_s << u"ĉato"_s
        << "\xc3\xa9t\xc3\xa9\n\xc4\x89"
           "ato\n"_ba
        << ok << 0;
    // Removals take a line and its line end.
    QTest::newRow("remove") << "chat\r\nchien\r\nloup\r\n"_ba << remove << 2 << u"chien"_s
                            << QString() << "chat\r\nloup\r\n"_ba << ok << 0;
    QTest::newRow("remove the last line, no line end")
        << "chat\nchien"_ba << remove << 2 << u"chien"_s << QString() << "chat"_ba << ok << 0;
    QTest::newRow("remove between skipped lines")
        << "\r\nchat\r\n\r\n"_ba << remove << 2 << u"chat"_s << QString() << "\r\n\r\n"_ba << ok
        << 0;
    QTest::newRow("remove keeps the mark")
        << "\xef\xbb\xbf"
           "chat"_ba
        << remove << 1 << u"chat"_s << QString() << "\xef\xbb\xbf"_ba << ok << 0;
}

void ListEditsTest::edits()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, edit);
    QFETCH(int, line);
    QFETCH(QString, entry);
    QFETCH(QString, word);
    QFETCH(QByteArray, after);
    QFETCH(EditRefusal, refusal);
    QFETCH(int, otherLine);

    ListDocument document(before);
    const EditOutcome outcome = edit == u"add"_s ? document.add(word)
        : edit == u"rename"_s                    ? document.rename(line, entry, word)
                                                 : document.remove(line, entry);
    QCOMPARE(outcome.refusal, refusal);
    QCOMPARE(outcome.otherLine, otherLine);
    QCOMPARE(document.bytes(), after);
    if (refusal != EditRefusal::None || edit == u"remove"_s)
        return;
    // The game reads the word where the edit put it.
    WordTable table;
    parseWordList(document.bytes(), table);
    QVERIFY(outcome.line >= 1 && outcome.line <= table.count);
    QCOMPARE(table.entries[outcome.line], word.trimmed().normalized(QString::NormalizationForm_C));
}

void ListEditsTest::aFullListTakesNoMoreWords()
{
    QByteArray full;
    for (int i = 0; i < kMaxListLines; ++i)
        full += "a\n";
    ListDocument document(full);
    QCOMPARE(document.add(u"chat"_s).refusal, EditRefusal::ListFull);
    QCOMPARE(document.bytes(), full);
}

void ListEditsTest::photoPlans_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QSize>("stored");

    const QSize largest = largestPictureSize();
    const QSize camera(4000, 3000);
    const QSize cameraFitted = camera.scaled(largest, Qt::KeepAspectRatio);
    QTest::newRow("an animated GIF stays whole")
        << "gif"_ba << camera << false << false << true << u".gif"_s << camera;
    QTest::newRow("a small PNG") << "png"_ba << QSize(320, 240) << false << true << true
                                 << u".png"_s << QSize(320, 240);
    QTest::newRow("a small JPEG") << "jpeg"_ba << QSize(640, 480) << false << false << true
                                  << u".jpg"_s << QSize(640, 480);
    QTest::newRow("a camera's JPEG")
        << "jpeg"_ba << camera << false << false << false << u".jpg"_s << cameraFitted;
    QTest::newRow("a large PNG with transparent parts")
        << "png"_ba << camera << false << true << false << u".png"_s << cameraFitted;
    QTest::newRow("a phone's photo held sideways")
        << "jpeg"_ba << QSize(300, 400) << true << false << false << u".jpg"_s << QSize(300, 400);
    QTest::newRow("a BMP, which the game does not look for")
        << "bmp"_ba << QSize(100, 100) << false << false << false << u".jpg"_s << QSize(100, 100);
}

void ListEditsTest::photoPlans()
{
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(bool, turned);
    QFETCH(bool, transparent);
    QFETCH(bool, copy);
    QFETCH(QString, suffix);
    QFETCH(QSize, stored);
    const PhotoPlan plan = planPhoto(format, size, turned, transparent, largestPictureSize());
    QCOMPARE(plan.copy, copy);
    QCOMPARE(plan.suffix, suffix);
    QCOMPARE(plan.size, stored);
    // Never larger than the game needs on the largest monitor, nor than the photo was.
    QVERIFY(plan.copy || plan.size.boundedTo(largestPictureSize()) == plan.size);
}

void ListEditsTest::takes_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("voice");
    QTest::addColumn<double>("after");
    QTest::addColumn<float>("loudness");
    QTest::addColumn<double>("overAt");
    QTest::addColumn<double>("kept");

    const double margins = VoiceTake::kMarginBeforeSeconds + VoiceTake::kMarginAfterSeconds;
    QTest::newRow("a word between silences")
        << 0.6 << 0.7 << 2.0 << 0.5F << 0.6 + 0.7 + VoiceTake::kSilenceAfterSeconds
        << 0.7 + margins;
    QTest::newRow("a word at once")
        << 0.0 << 0.5 << 2.0 << 0.5F << 0.5 + VoiceTake::kSilenceAfterSeconds
        << 0.5 + VoiceTake::kMarginAfterSeconds;
    QTest::newRow("a tone that never ends")
        << 0.0 << 8.0 << 0.0 << 0.5F << VoiceTake::kLongestSeconds << VoiceTake::kLongestSeconds;
    QTest::newRow("a silent microphone")
        << 8.0 << 0.0 << 0.0 << 0.0F << VoiceTake::kLongestSeconds << 0.0;
    QTest::newRow("a hum below a voice")
        << 0.0 << 8.0 << 0.0 << 0.01F << VoiceTake::kLongestSeconds << 0.0;
}

void ListEditsTest::takes()
{
    QFETCH(double, before);
    QFETCH(double, voice);
    QFETCH(double, after);
    QFETCH(float, loudness);
    QFETCH(double, overAt);
    QFETCH(double, kept);

    constexpr int kRate = 8000;
    std::vector<float> sound = tone(before, kRate, 0.0F);
    const std::vector<float> word = tone(voice, kRate, loudness);
    const std::vector<float> silence = tone(after, kRate, 0.0F);
    sound.insert(sound.end(), word.begin(), word.end());
    sound.insert(sound.end(), silence.begin(), silence.end());

    // Heard in blocks of a twentieth of a second, as the microphone hands them over.
    VoiceTake take(kRate);
    constexpr std::size_t kBlock = kRate / 20;
    std::size_t heard = 0;
    bool over = false;
    while (!over && heard < sound.size()) {
        const std::size_t end = std::min(sound.size(), heard + kBlock);
        over = take.hear({sound.begin() + static_cast<long>(heard),
                          sound.begin() + static_cast<long>(end)})
                   .over;
        heard = end;
    }
    QVERIFY(over);
    QVERIFY2(std::abs(static_cast<double>(heard) / kRate - overAt) <= 0.06,
             qPrintable(u"over after %1 s"_s.arg(static_cast<double>(heard) / kRate)));
    QCOMPARE(take.heardAVoice(), kept > 0.0);
    QVERIFY2(std::abs(static_cast<double>(take.word().size()) / kRate - kept) <= 0.03,
             qPrintable(u"kept %1 s"_s.arg(static_cast<double>(take.word().size()) / kRate)));
}

void ListEditsTest::theFamilyFolderIsWrittenWholeOrNotAtAll()
{
    QTemporaryDir root;
    const QString folder = root.filePath(u"family/trouvimo"_s);
    FamilyWords family(folder, "\r\n"_ba);
    const LanguageData& english = languageData(Language::English);

    // The folder is made with the first word.
    ListEdit edit = family.editList(english, [](ListDocument& list) { return list.add(u"cat"_s); });
    QVERIFY(edit.done());
    QCOMPARE(fileBytes(folder + u"/ListeMotsAnglais.txt"_s), "cat\r\n"_ba);

    // A word the game would skip writes nothing, and so does a list that changed meanwhile.
    writeBytes(folder + u"/ListeMotsAnglais.txt"_s, "cat\r\ndog\r\n"_ba);
    edit = family.editList(english, [](ListDocument& list) { return list.add(u"DOG"_s); });
    QCOMPARE(edit.outcome.refusal, EditRefusal::Duplicate);
    QCOMPARE(edit.outcome.otherLine, 2);
    QCOMPARE(fileBytes(folder + u"/ListeMotsAnglais.txt"_s), "cat\r\ndog\r\n"_ba);

    // A photo takes the word's name in capitals; the one it replaces goes to the trash.
    QImage photo(300, 200, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    const QString jpeg = root.filePath(u"chat.jpeg"_s);
    QVERIFY(photo.save(jpeg, "JPEG"));
    // Where the system has no trash (wine's shell has none), a file to be replaced is kept.
    const QString old = folder + u"/images/motsanglais/Cat.png"_s;
    writeBytes(old, "old"_ba);
    const QString probe = root.filePath(u"probe"_s);
    writeBytes(probe, "probe"_ba);
    const bool hasTrash = QFile::moveToTrash(probe);
    if (!hasTrash) {
        QCOMPARE(family.storePhoto(english, u"cat"_s, jpeg).fault, FolderFault::CannotTrash);
        QCOMPARE(fileBytes(old), "old"_ba);
        QVERIFY(QFile::remove(old));
    }
    QVERIFY(family.storePhoto(english, u"cat"_s, jpeg).done());
    QCOMPARE(family.pictureFiles(english, u"CAT"_s),
             QStringList {folder + u"/images/motsanglais/CAT.jpg"_s});
    QCOMPARE(fileBytes(folder + u"/images/motsanglais/CAT.jpg"_s), fileBytes(jpeg));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash/files/"_s;
    if (hasTrash)
        QCOMPARE(fileBytes(trash + u"Cat.png"_s), "old"_ba);

    // A file that is no picture is refused, and the word's photo stays.
    const QString text = root.filePath(u"notes.jpg"_s);
    writeBytes(text, "not a picture"_ba);
    QCOMPARE(family.storePhoto(english, u"cat"_s, text).fault, FolderFault::NotAPicture);
    QCOMPARE(family.pictureFiles(english, u"cat"_s).size(), 1);

    // A word renamed takes its files along; removed, they go to the trash.
    QVERIFY(family.storeRecording(english, u"cat"_s, "RIFF"_ba).done());
    QVERIFY(family.renameFiles(english, u"cat"_s, u"kitten"_s, false).done());
    QVERIFY(family.pictureFiles(english, u"cat"_s).isEmpty());
    QCOMPARE(QFileInfo(family.pictureFiles(english, u"kitten"_s).value(0)).fileName(),
             u"KITTEN.jpg"_s);
    QCOMPARE(QFileInfo(family.recordingFiles(english, u"kitten"_s).value(0)).fileName(),
             u"KITTEN.wav"_s);
    if (hasTrash) {
        QVERIFY(family.trashFiles(english, u"kitten"_s).done());
        QVERIFY(QFileInfo::exists(trash + u"KITTEN.jpg"_s));
        QVERIFY(QFileInfo::exists(trash + u"KITTEN.wav"_s));
    } else {
        QCOMPARE(family.trashFiles(english, u"kitten"_s).fault, FolderFault::CannotTrash);
        QCOMPARE(family.recordingFiles(english, u"kitten"_s).size(), 1);
    }

    // A word no file can be named after gets neither photo nor recording.
    QCOMPARE(family.storeRecording(english, u"con"_s, "RIFF"_ba).fault, FolderFault::NoName);
    QCOMPARE(family.storeRecording(english, u"a/b"_s, "RIFF"_ba).fault, FolderFault::NoName);
}

void ListEditsTest::whoseWordsTheWindowEdits_data()
{
    // The computer's settings, whether the user has a family folder and may write in the class's,
    // then what the window edits: "family", "class", or "none" where it is not offered.
    QTest::addColumn<bool>("wordsWindow");
    QTest::addColumn<bool>("familyWords");
    QTest::addColumn<bool>("hasFamilyFolder");
    QTest::addColumn<bool>("writesInClass");
    QTest::addColumn<QString>("edits");

    QTest::newRow("a family") << true << true << true << false << u"family"_s;
    QTest::newRow("a teacher") << true << true << true << true << u"class"_s;
    QTest::newRow("no folder of one's own") << true << true << false << false << u"none"_s;
    QTest::newRow("hidden by the computer") << false << true << true << true << u"none"_s;
    QTest::newRow("family words not read: a pupil") << true << false << true << false << u"none"_s;
    QTest::newRow("family words not read: a teacher")
        << true << false << true << true << u"class"_s;
}

void ListEditsTest::whoseWordsTheWindowEdits()
{
    QFETCH(bool, wordsWindow);
    QFETCH(bool, familyWords);
    QFETCH(bool, hasFamilyFolder);
    QFETCH(bool, writesInClass);
    QFETCH(QString, edits);
    GameFolders folders;
    folders.data = u"/game"_s;
    folders.classroom = u"/class"_s;
    folders.own = hasFamilyFolder ? u"/family"_s : QString();
    ComputerSettings settings;
    settings.wordsWindow = wordsWindow;
    settings.familyWords = familyWords;
    const MyWordsAccess access =
        myWordsAccess(folders, settings, [writesInClass](const QString& folder) {
            return folder == u"/class" ? writesInClass : true;
        });
    const QString found = !access.offered ? u"none"_s
        : access.set == WordSet::Class    ? u"class"_s
                                          : u"family"_s;
    QCOMPARE(found, edits);
    if (access.offered) {
        QCOMPARE(access.folder, u"/"_s + edits);
        // A class's words play for pupils without a family folder in front of them.
        QCOMPARE(access.lending.first(), access.folder);
        QCOMPARE(access.lending.last(), folders.classroom);
    }
}

int main(int argc, char* argv[])
{
    // The trash lies in the user's data folder: a private one keeps the test's files out of the
    // real trash.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QGuiApplication app(argc, argv);
    ListEditsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listedits.moc"
