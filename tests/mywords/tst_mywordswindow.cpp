#include "FakeMicrophone.h"
#include "FakeSoundPlayer.h"
#include "mywords/FamilyWords.h"
#include "mywords/MyWordsWindow.h"
#include "platform/files/DataPaths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;
using namespace trouvimo;

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
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

std::vector<float> sound(double seconds, int rate, float amplitude)
{
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude * static_cast<float>(std::sin(0.3 * static_cast<double>(i)));
    return samples;
}

// The window on a game folder of two English words and an empty family folder.
struct Rig {
    Rig()
        : paths(root.filePath(u"game"_s), {root.filePath(u"family"_s)})
        , family(root.filePath(u"family"_s), "\r\n"_ba)
    {
        writeBytes(root.filePath(u"game/ListeMotsAnglais.txt"_s), "cat\r\ndog\r\n"_ba);
        writeBytes(root.filePath(u"game/ListeMots.txt"_s), "chat\r\n"_ba);
        window = std::make_unique<MyWordsWindow>(
            MyWordsServices {paths, family, WordSet::Family, sound, microphone,
                             [](const QString&) { return RecordingProbe {}; }},
            Language::English);
        window->showList(Language::English);
    }

    [[nodiscard]] QString own(const QString& relative) const
    {
        return root.filePath(u"family/"_s + relative);
    }

    QPushButton* button(const QString& name) const
    {
        for (auto* found : window->findChildren<QPushButton*>()) {
            if (found->accessibleName() == name)
                return found;
        }
        return nullptr;
    }

    QTemporaryDir root;
    DataPaths paths;
    FamilyWords family;
    FakeSoundPlayer sound;
    FakeMicrophone microphone;
    std::unique_ptr<MyWordsWindow> window;
};

} // namespace

class MyWordsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theGameListIsReadOnlyUntilTheFamilyStartsItsOwn();
    void aWordIsAddedRecordedGivenAPhotoAndRemoved();
    void aSilentOrMissingMicrophoneIsToldAndTheRestWorks();
    void aListChangedOnTheDiskIsReadAgain();
};

void MyWordsWindowTest::theGameListIsReadOnlyUntilTheFamilyStartsItsOwn()
{
    Rig rig;
    QCOMPARE(rig.window->model().document().lineCount(), 2);
    QVERIFY(!rig.button(u"Add"_s)->isEnabled());
    rig.window->addWord(u"owl"_s);
    QVERIFY(!QFileInfo::exists(rig.own(u"ListeMotsAnglais.txt"_s)));

    rig.button(u"Copy the game's words"_s)->click();
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), "cat\r\ndog\r\n"_ba);
    QVERIFY(rig.button(u"Add"_s)->isEnabled());
    QVERIFY(!rig.button(u"Copy the game's words"_s)->isVisibleTo(rig.window.get()));
}

void MyWordsWindowTest::aWordIsAddedRecordedGivenAPhotoAndRemoved()
{
    Rig rig;
    writeBytes(rig.own(u"ListeMotsAnglais.txt"_s), "dog\r\n"_ba);
    rig.window->showList(Language::English);

    rig.window->addWord(u"hippopotamuses"_s);
    QVERIFY2(rig.window->refusal().contains(u"14 letters"_s), qPrintable(rig.window->refusal()));
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), "dog\r\n"_ba);

    rig.window->addWord(u"kitten"_s);
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), "dog\r\nkitten\r\n"_ba);
    QCOMPARE(rig.window->selectedLine(), 2);

    // A word, a short silence, and the take ends by itself, trimmed.
    rig.button(u"Record"_s)->click();
    QVERIFY(rig.window->recording());
    rig.microphone.hear(sound(0.5, rig.microphone.rate, 0.0F));
    rig.microphone.hear(sound(0.6, rig.microphone.rate, 0.5F));
    rig.microphone.hear(sound(1.0, rig.microphone.rate, 0.0F));
    QVERIFY(!rig.window->recording());
    QVERIFY(!rig.microphone.listening);
    const QByteArray wav = fileBytes(rig.own(u"Sons/MotsAnglais/KITTEN.wav"_s));
    QVERIFY2(wav.startsWith("RIFF fake "), wav.constData());
    const double seconds = wav.mid(10).split(' ').first().toDouble() / rig.microphone.rate;
    QVERIFY2(seconds > 0.6 && seconds < 1.0, qPrintable(QString::number(seconds)));

    QImage photo(2000, 1500, QImage::Format_RGB32);
    photo.fill(Qt::darkYellow);
    QVERIFY(photo.save(rig.root.filePath(u"kitten.png"_s)));
    rig.window->storePhoto(2, rig.root.filePath(u"kitten.png"_s));
    const QImage stored(rig.own(u"Images/MotsAnglais/KITTEN.jpg"_s));
    QVERIFY2(!stored.isNull(), qPrintable(rig.window->message()));
    // Larger than the game ever shows it: stored smaller.
    QCOMPARE(stored.size(), photo.size().scaled(largestPictureSize(), Qt::KeepAspectRatio));
    QTRY_VERIFY(rig.window->model().factsReady());
    QTRY_VERIFY(rig.button(u"Listen"_s)->isEnabled());
    rig.button(u"Listen"_s)->click();
    QCOMPARE(rig.sound.played, QStringList {rig.own(u"Sons/MotsAnglais/KITTEN.wav"_s)});

    rig.window->selectLine(1);
    rig.window->removeSelected(false);
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), "kitten\r\n"_ba);
    rig.window->selectLine(1);
    rig.window->removeSelected(false);
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), QByteArray());
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash/files/"_s;
    QVERIFY(QFileInfo::exists(trash + u"KITTEN.jpg"_s));
    QVERIFY(QFileInfo::exists(trash + u"KITTEN.wav"_s));
}

void MyWordsWindowTest::aSilentOrMissingMicrophoneIsToldAndTheRestWorks()
{
    Rig rig;
    writeBytes(rig.own(u"ListeMotsAnglais.txt"_s), "dog\r\n"_ba);
    rig.window->showList(Language::English);
    rig.window->selectLine(1);

    rig.button(u"Record"_s)->click();
    rig.microphone.hear(sound(6.0, rig.microphone.rate, 0.001F));
    QVERIFY(!rig.window->recording());
    QVERIFY2(rig.window->message().contains(u"heard nothing"_s), qPrintable(rig.window->message()));
    QVERIFY(!QFileInfo::exists(rig.own(u"Sons/MotsAnglais/DOG.wav"_s)));

    rig.microphone.fault = MicrophoneFault::NoMicrophone;
    rig.button(u"Record"_s)->click();
    QVERIFY2(rig.window->message().contains(u"No microphone"_s), qPrintable(rig.window->message()));
    QVERIFY(rig.button(u"Record"_s)->isEnabled());
    rig.window->addWord(u"owl"_s);
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), "dog\r\nowl\r\n"_ba);
}

void MyWordsWindowTest::aListChangedOnTheDiskIsReadAgain()
{
    Rig rig;
    writeBytes(rig.own(u"ListeMotsAnglais.txt"_s), "dog\n"_ba);
    rig.window->showList(Language::English);
    // An editor saves a word while the window is open; a word added then keeps it.
    writeBytes(rig.own(u"ListeMotsAnglais.txt"_s), "dog\nfox\n"_ba);
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->model().document().lineCount(), 2, 10000);
    writeBytes(rig.own(u"ListeMotsAnglais.txt"_s), "dog\nfox\nbee\n"_ba);
    rig.window->addWord(u"owl"_s);
    QCOMPARE(fileBytes(rig.own(u"ListeMotsAnglais.txt"_s)), "dog\nfox\nbee\nowl\n"_ba);
}

int main(int argc, char* argv[])
{
    // The trash lies in the user's data folder: a private one keeps the test's files out of the
    // real trash.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    MyWordsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mywordswindow.moc"
