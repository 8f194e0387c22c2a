#include "platform/X11Display.h"

#include "platform/QtScreenDisplay.h"

#include "randr/IgnoredXErrors.h"

// Xlib's macros (None, Bool, Status...) clash with Qt's names, so its headers come last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace trouvimo {

namespace {

struct FreeScreenConfiguration {
    void operator()(XRRScreenConfiguration* configuration) const
    {
        XRRFreeScreenConfigInfo(configuration);
    }
};
using ScreenConfiguration = std::unique_ptr<XRRScreenConfiguration, FreeScreenConfiguration>;

} // namespace

void X11Display::CloseConnection::operator()(_XDisplay* connection) const
{
    XCloseDisplay(connection);
}

X11Display::X11Display(const QString& guardProgram)
    : m_connection(XOpenDisplay(nullptr))
    , m_guard(guardProgram)
{
    if (m_connection) {
        int eventBase = 0;
        int errorBase = 0;
        m_hasRandr = XRRQueryExtension(m_connection.get(), &eventBase, &errorBase) != 0;
        if (m_hasRandr)
            m_monitors.emplace(m_connection.get());
    }
}

X11Display::~X11Display()
{
    restore();
}

QSize X11Display::monitorSize() const
{
    if (!m_connection)
        return QtScreenDisplay().monitorSize();
    if (switchesOneMonitor()) {
        if (const auto crtc = m_monitors->primaryCrtc()) {
            if (const auto found = m_monitors->read(*crtc))
                return {found->crtc.width, found->crtc.height};
        }
    }
    ::Display* connection = m_connection.get();
    return {XDisplayWidth(connection, XDefaultScreen(connection)),
            XDisplayHeight(connection, XDefaultScreen(connection))};
}

bool X11Display::switchTo(QSize size)
{
    if (!canSwitch() || size.isEmpty())
        return false;
    if (!switchesOneMonitor())
        return switchWholeScreen(size);

    if (!m_savedMonitor) {
        const auto crtc = m_monitors->primaryCrtc();
        if (!crtc)
            return false;
        m_savedMonitor = m_monitors->read(*crtc);
        if (!m_savedMonitor)
            return false;
        // Without its guardian the game still switches: every way out it has of its own puts
        // the display back, and only a hard kill would leave it switched.
        m_guard.start(QString::fromLocal8Bit(XDisplayString(m_connection.get())),
                      randr::toLine(*m_savedMonitor));
    }
    if (m_monitors->switchMode(*m_savedMonitor, size.width(), size.height()))
        return true;
    m_guard.dismiss();
    m_savedMonitor.reset();
    return false;
}

void X11Display::restore()
{
    if (m_savedMonitor) {
        m_monitors->restore(*m_savedMonitor);
        m_savedMonitor.reset();
        m_guard.dismiss();
    }
    if (m_savedScreen) {
        restoreWholeScreen(*m_savedScreen);
        m_savedScreen.reset();
    }
}

bool X11Display::switchWholeScreen(QSize size)
{
    ::Display* connection = m_connection.get();
    const Window root = XDefaultRootWindow(connection);
    const randr::IgnoredXErrors ignoredErrors;
    const ScreenConfiguration configuration(XRRGetScreenInfo(connection, root));
    if (!configuration)
        return false;

    int sizeCount = 0;
    const XRRScreenSize* sizes = XRRConfigSizes(configuration.get(), &sizeCount);
    Rotation rotation = 0;
    const SizeID current = XRRConfigCurrentConfiguration(configuration.get(), &rotation);
    const auto* end = sizes + std::max(sizeCount, 0);
    const auto* wanted = std::find_if(sizes, end, [size](const XRRScreenSize& offered) {
        return offered.width == size.width() && offered.height == size.height();
    });
    if (wanted == end)
        return false;
    if (!m_savedScreen)
        m_savedScreen =
            WholeScreenConfiguration {current, rotation, XRRConfigCurrentRate(configuration.get())};
    if (wanted - sizes == current)
        return true;
    const auto target = static_cast<SizeID>(wanted - sizes);
    XRRSetScreenConfig(connection, configuration.get(), root, target, rotation, CurrentTime);
    XSync(connection, False);
    return true;
}

void X11Display::restoreWholeScreen(const WholeScreenConfiguration& saved)
{
    ::Display* connection = m_connection.get();
    const Window root = XDefaultRootWindow(connection);
    const randr::IgnoredXErrors ignoredErrors;
    const ScreenConfiguration configuration(XRRGetScreenInfo(connection, root));
    if (!configuration)
        return;
    XRRSetScreenConfigAndRate(connection, configuration.get(), root,
                              static_cast<SizeID>(saved.sizeIndex), saved.rotation, saved.rate,
                              CurrentTime);
    XSync(connection, False);
}

} // namespace trouvimo
