#include "DisplayFactory.h"

#include "QtScreenDisplay.h"
#include "X11Display.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace trouvimo {

namespace {

// Qt may replace the primary screen object itself when the mode changes, so the loop polls
// rather than following the signals of one QScreen.
constexpr int pollIntervalMs = 10;

bool primaryScreenHasSize(QSize size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->geometry().size() == size;
}

} // namespace

std::unique_ptr<Display> makeDisplay()
{
    if (QGuiApplication::platformName() == u"xcb")
        return std::make_unique<X11Display>();
    return std::make_unique<QtScreenDisplay>();
}

bool waitForScreenSize(QSize size, int timeoutMs)
{
    if (primaryScreenHasSize(size))
        return true;
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (primaryScreenHasSize(size) || deadline.hasExpired())
            loop.quit();
    });
    poll.start(pollIntervalMs);
    loop.exec();
    return primaryScreenHasSize(size);
}

} // namespace trouvimo
