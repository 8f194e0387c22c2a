#include "widgets/ResourcePng.h"

#include <QImage>
#include <QImageReader>
#include <QTest>

using namespace Qt::StringLiterals;
using trouvimo::readPng;

// Every picture the windows draw, read from the program's resources as the windows read it, must
// be the picture under data/art: a picture left out of the build, or one that no longer decodes,
// fails here rather than leaving a window blank.
class WindowArtTest : public QObject {
    Q_OBJECT

private slots:
    void theProgramsArtIsItsPictures_data();
    void theProgramsArtIsItsPictures();
};

void WindowArtTest::theProgramsArtIsItsPictures_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("picture");
    const auto addRows = [](const QString& window, const QStringList& names) {
        for (const QString& name : names) {
            QTest::addRow("%s %s", qPrintable(window), qPrintable(name))
                << u":/%1/%2.png"_s.arg(window, name) << name + u".png"_s;
        }
    };
    addRows(u"startup"_s,
            {u"start-background"_s, u"tiger"_s, u"dove"_s, u"flag-fr"_s, u"flag-uk"_s});
    addRows(u"board"_s, {u"board-background"_s, u"tiger"_s, u"dove"_s, u"face"_s, u"speaker"_s});
}

void WindowArtTest::theProgramsArtIsItsPictures()
{
    QFETCH(QString, resource);
    QFETCH(QString, picture);
    const QImage expected = QImageReader(QStringLiteral(TROUVIMO_ART_DIR "/") + picture).read();
    QVERIFY2(!expected.isNull(), qPrintable(picture));
    const QImage drawn = readPng(resource);
    QVERIFY2(!drawn.isNull(), qPrintable(resource));
    QCOMPARE(drawn, expected);
}

QTEST_GUILESS_MAIN(WindowArtTest)
#include "tst_windowart.moc"
