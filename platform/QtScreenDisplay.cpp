#include "QtScreenDisplay.h"

#include <QGuiApplication>
#include <QScreen>

namespace trouvimo {

namespace {

constexpr double twipsPerInch = 1440.0;
constexpr double fallbackDotsPerInch = 96.0;

double twipsPerPixel(double dotsPerInch)
{
    return twipsPerInch / (dotsPerInch > 0.0 ? dotsPerInch : fallbackDotsPerInch);
}

} // namespace

double twipsPerPixelX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchX() : fallbackDotsPerInch);
}

double twipsPerPixelY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchY() : fallbackDotsPerInch);
}

ScreenMetrics QtScreenDisplay::metrics() const
{
    ScreenMetrics metrics;
    metrics.twipsPerPixelX = twipsPerPixelX();
    metrics.twipsPerPixelY = twipsPerPixelY();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        metrics.widthTwips = screen->geometry().width() * metrics.twipsPerPixelX;
        metrics.heightTwips = screen->geometry().height() * metrics.twipsPerPixelY;
    }
    return metrics;
}

void QtScreenDisplay::setMode(int /*width*/, int /*height*/)
{
}

} // namespace trouvimo
