#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace trouvimo {

// The game's own window art (backgrounds and button icons) is packed at build time into the very
// pixels a window draws, so that putting a window on the screen costs no picture decoding: a
// packed picture in the program's resources is shown straight from where it lies in memory. The
// pictures themselves stay PNG files under data/art; the build packs them.
//
// A packed picture is a 24-byte header, "TRVPIX01" then width, height, bytes per line and pixel
// format as 32-bit little-endian numbers, then the rows of 32-bit pixels.

// Packs a picture: premultiplied ARGB when it has an alpha channel, otherwise RGB32.
[[nodiscard]] QByteArray packImage(const QImage& image);

// The picture in packed bytes, sharing them (the bytes must outlive the image), or a null image
// when they are not one whole packed picture.
[[nodiscard]] QImage unpackImage(QByteArrayView packed);

// A packed picture of the program's resources, or a null image when there is none at that path.
[[nodiscard]] QImage packedResourceImage(const QString& path);

} // namespace trouvimo
