#include "platform/display/DisplayFactory.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace trouvimo {

namespace {

bool primaryScreenHasSize(QSize size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->geometry().size() == size;
}

} // namespace

void drawInDevicePixels()
{
    for (const char* variable :
         {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING"}) {
        if (qEnvironmentVariableIsSet(variable))
            return;
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // Text then follows the design's 96 dots per inch too, as the board's already does.
    if (!qEnvironmentVariableIsSet("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
}

bool waitForScreenSize(QSize size, int timeoutMs)
{
    if (primaryScreenHasSize(size))
        return true;
    // The loop looks again whenever Qt tells of a change of any screen, of a new screen or of a
    // new primary one (Qt may replace the primary screen object itself when the mode changes), so
    // that it ends as soon as Qt knows the new size: the start screen waits here before it shows.
    QEventLoop loop;
    const auto check = [&loop, size] {
        if (primaryScreenHasSize(size))
            loop.quit();
    };
    const auto watch = [&loop, check](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &loop, check);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &loop,
                     [watch, check](QScreen* screen) {
                         watch(screen);
                         check();
                     });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &loop, check);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return primaryScreenHasSize(size);
}

} // namespace trouvimo
