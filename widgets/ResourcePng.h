#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>

namespace trouvimo {

// Reads one of the game's PNG pictures with Qt's built-in PNG reader and nothing else. Given a
// file name, QImage, QPixmap and QIcon first ask every image-format plugin installed whether it
// reads PNG, and loading those plugins (nine shared objects on a Debian desktop, some 5 ms
// measured) costs a window more than decoding its pictures; pinning the format skips them. A
// picture that is missing or no readable PNG gives a null image.
[[nodiscard]] inline QImage readPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace trouvimo
