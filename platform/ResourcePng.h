#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>

namespace trouvimo {

// Reads a PNG picture with Qt's built-in PNG reader and nothing else. Given only a file name,
// QImageReader first asks every image-format plugin installed whether it can read the file, and
// loading those plugins (nine shared objects on a Debian desktop) would cost a window more than
// reading its pictures. A file that is no readable PNG gives a null image.
inline QImage readPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace trouvimo
