// Packs a PNG picture of the window art for the build (see platform/PackedImage.h):
//     trouvimo_pack_image PICTURE.png OUTPUT
#include "platform/PackedImage.h"

#include <QFile>
#include <QImageReader>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURE.png OUTPUT\n", argv[0]);
        return 2;
    }
    QImageReader reader(QFile::decodeName(argv[1]), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    QSaveFile output(QFile::decodeName(argv[2]));
    if (!output.open(QIODevice::WriteOnly) || output.write(trouvimo::packImage(image)) < 0
        || !output.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
