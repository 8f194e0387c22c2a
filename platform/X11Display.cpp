#include "X11Display.h"

#include "QtScreenDisplay.h"

// Xlib's macros (None, Bool, Status...) clash with Qt's names, so its headers come last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace trouvimo {

namespace {

// Xlib's default error handler ends the process; a refused switch must only leave the screen
// as it was.
int ignoreError(::Display* /*connection*/, XErrorEvent* /*event*/)
{
    return 0;
}

// Installs ignoreError for as long as it lives, then puts the previous handler back.
class IgnoredErrors {
public:
    IgnoredErrors()
        : m_previous(XSetErrorHandler(ignoreError))
    {
    }
    ~IgnoredErrors() { XSetErrorHandler(m_previous); }
    IgnoredErrors(const IgnoredErrors&) = delete;
    IgnoredErrors& operator=(const IgnoredErrors&) = delete;

private:
    XErrorHandler m_previous;
};

struct FreeScreenConfiguration {
    void operator()(XRRScreenConfiguration* configuration) const
    {
        XRRFreeScreenConfigInfo(configuration);
    }
};

} // namespace

void X11Display::CloseConnection::operator()(_XDisplay* connection) const
{
    XCloseDisplay(connection);
}

X11Display::X11Display()
    : m_connection(XOpenDisplay(nullptr))
{
    if (m_connection) {
        int eventBase = 0;
        int errorBase = 0;
        m_hasRandr = XRRQueryExtension(m_connection.get(), &eventBase, &errorBase) != 0;
    }
}

X11Display::~X11Display() = default;

ScreenMetrics X11Display::metrics() const
{
    if (!m_connection)
        return QtScreenDisplay().metrics();

    ::Display* connection = m_connection.get();
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    XGetGeometry(connection, XDefaultRootWindow(connection), &root, &x, &y, &width, &height,
                 &border, &depth);

    ScreenMetrics metrics;
    metrics.twipsPerPixelX = twipsPerPixelX();
    metrics.twipsPerPixelY = twipsPerPixelY();
    metrics.widthTwips = width * metrics.twipsPerPixelX;
    metrics.heightTwips = height * metrics.twipsPerPixelY;
    return metrics;
}

void X11Display::setMode(int width, int height)
{
    if (!canSwitch())
        return;

    ::Display* connection = m_connection.get();
    const Window root = XDefaultRootWindow(connection);
    const IgnoredErrors ignoredErrors;
    const std::unique_ptr<XRRScreenConfiguration, FreeScreenConfiguration> configuration(
        XRRGetScreenInfo(connection, root));
    if (!configuration)
        return;

    int sizeCount = 0;
    const XRRScreenSize* sizes = XRRConfigSizes(configuration.get(), &sizeCount);
    Rotation rotation = 0;
    const SizeID current = XRRConfigCurrentConfiguration(configuration.get(), &rotation);
    const auto* end = sizes + std::max(sizeCount, 0);
    const auto* wanted = std::find_if(sizes, end, [width, height](const XRRScreenSize& size) {
        return size.width == width && size.height == height;
    });
    if (wanted == end || wanted - sizes == current)
        return;

    const auto target = static_cast<SizeID>(wanted - sizes);
    const short rate = XRRConfigCurrentRate(configuration.get());
    int rateCount = 0;
    const short* rates = XRRConfigRates(configuration.get(), target, &rateCount);
    if (std::find(rates, rates + std::max(rateCount, 0), rate) != rates + std::max(rateCount, 0))
        XRRSetScreenConfigAndRate(connection, configuration.get(), root, target, rotation, rate,
                                  CurrentTime);
    else
        XRRSetScreenConfig(connection, configuration.get(), root, target, rotation, CurrentTime);
    XSync(connection, False);
}

} // namespace trouvimo
