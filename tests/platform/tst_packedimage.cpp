#include "platform/PackedImage.h"

#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QTest>
#include <QtEndian>

#include <functional>

using namespace Qt::StringLiterals;
using namespace trouvimo;

using Damage = std::function<void(QByteArray&)>;
Q_DECLARE_METATYPE(Damage)

namespace {

// A picture with a gradient, so that a swapped channel, a lost row or a shifted line shows.
QImage testPicture(QSize size, bool alpha)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 255 / size.width(), y * 255 / size.height(),
                                             (x * 7 + y * 13) % 256, alpha ? (x + y) % 256 : 255));
    }
    return image;
}

void setNumber(QByteArray& packed, qsizetype offset, quint32 value)
{
    qToLittleEndian(value, packed.data() + offset);
}

} // namespace

class PackedImageTest : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryPixel_data();
    void keepsEveryPixel();
    void refusesDamagedBytes_data();
    void refusesDamagedBytes();
    void sharesItsBytesOrCopiesMisalignedOnes();
    void theProgramsArtIsItsPictures_data();
    void theProgramsArtIsItsPictures();
};

void PackedImageTest::keepsEveryPixel_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");
    QTest::newRow("opaque") << QSize(61, 27) << false;
    QTest::newRow("transparent") << QSize(32, 32) << true;
    QTest::newRow("one pixel") << QSize(1, 1) << true;
    QTest::newRow("one row") << QSize(300, 1) << false;
}

void PackedImageTest::keepsEveryPixel()
{
    QFETCH(QSize, size);
    QFETCH(bool, alpha);
    const QImage picture = testPicture(size, alpha);

    const QByteArray packed = packImage(picture);
    QCOMPARE(packed.size(), 24 + size.width() * size.height() * 4);
    const QImage unpacked = unpackImage(packed);
    QCOMPARE(unpacked.size(), size);
    QCOMPARE(unpacked.hasAlphaChannel(), alpha);
    QCOMPARE(unpacked.format(), alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QImage::Format common = alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    QCOMPARE(unpacked, picture.convertToFormat(common));
}

void PackedImageTest::refusesDamagedBytes_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("nothing") << Damage([](QByteArray& p) { p.clear(); });
    QTest::newRow("half a header") << Damage([](QByteArray& p) { p.truncate(12); });
    QTest::newRow("header only") << Damage([](QByteArray& p) { p.truncate(24); });
    QTest::newRow("another magic") << Damage([](QByteArray& p) { p[3] = 'X'; });
    QTest::newRow("a PNG") << Damage([](QByteArray& p) { p.replace(0, 8, "\x89PNG\r\n\x1a\n"); });
    QTest::newRow("no width") << Damage([](QByteArray& p) { setNumber(p, 8, 0); });
    QTest::newRow("no height") << Damage([](QByteArray& p) { setNumber(p, 12, 0); });
    QTest::newRow("huge sides") << Damage([](QByteArray& p) {
        setNumber(p, 8, 0x40000000);
        setNumber(p, 12, 0x40000000);
        setNumber(p, 16, 0);
    });
    QTest::newRow("line longer than the width") << Damage([](QByteArray& p) { setNumber(p, 16, 44); });
    QTest::newRow("unknown pixel format") << Damage([](QByteArray& p) { setNumber(p, 20, 7); });
    QTest::newRow("a row short") << Damage([](QByteArray& p) { p.chop(40); });
    QTest::newRow("a byte short") << Damage([](QByteArray& p) { p.chop(1); });
    QTest::newRow("bytes after the rows") << Damage([](QByteArray& p) { p.append('\0'); });
}

void PackedImageTest::refusesDamagedBytes()
{
    QFETCH(Damage, damage);
    QByteArray packed = packImage(testPicture(QSize(10, 6), false));
    QVERIFY(!unpackImage(packed).isNull());
    damage(packed);
    QVERIFY(unpackImage(packed).isNull());
}

void PackedImageTest::sharesItsBytesOrCopiesMisalignedOnes()
{
    const QImage picture = testPicture(QSize(9, 5), true);
    const QByteArray packed = packImage(picture);

    const QImage shared = unpackImage(packed);
    QCOMPARE(shared.constBits(), reinterpret_cast<const uchar*>(packed.constData()) + 24);

    QByteArray offByOne(1, '\0');
    offByOne.append(packed);
    const QImage copied = unpackImage(QByteArrayView(offByOne).sliced(1));
    QVERIFY(copied.constBits() != reinterpret_cast<const uchar*>(offByOne.constData()) + 25);
    QCOMPARE(copied, shared);
}

void PackedImageTest::theProgramsArtIsItsPictures_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QString>("picture");
    QTest::newRow("start screen") << u":/startup/start-background.pix"_s << u"start-background.png"_s;
    QTest::newRow("start screen's flag") << u":/startup/flag-uk.pix"_s << u"flag-uk.png"_s;
    QTest::newRow("board") << u":/board/board-background.pix"_s << u"board-background.png"_s;
    QTest::newRow("board's icon") << u":/board/face.pix"_s << u"face.png"_s;
}

void PackedImageTest::theProgramsArtIsItsPictures()
{
    QFETCH(QString, resource);
    QFETCH(QString, picture);
    QImage expected = QImageReader(QStringLiteral(TROUVIMO_ART_DIR "/") + picture).read();
    QVERIFY(!expected.isNull());
    expected = expected.convertToFormat(expected.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                   : QImage::Format_RGB32);
    const QImage packed = packedResourceImage(resource);
    // Stored as they are, so that a window draws them where they lie in the program.
    const QResource stored(resource);
    QCOMPARE(stored.compressionAlgorithm(), QResource::NoCompression);
    QCOMPARE(packed.constBits(), stored.data() + 24);
    QCOMPARE(packed.size(), expected.size());
    QCOMPARE(packed, expected);

    // Drawn as a window draws it.
    QImage canvas(packed.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter(&canvas).drawImage(0, 0, packed);
    QCOMPARE(canvas, expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_GUILESS_MAIN(PackedImageTest)
#include "tst_packedimage.moc"
