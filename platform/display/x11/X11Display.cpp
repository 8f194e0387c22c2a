#include "platform/display/x11/X11Display.h"

#include "platform/display/QtScreenDisplay.h"

#include "platform/display/x11/randr/Xcb.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/randr.h>

// Xlib's macros (None, Bool, Status...) clash with Qt's names, so its header comes last. Qt's
// connection is reached through Xlib only for the name and screen of the display it opened,
// which the guardian needs.
#include <X11/Xlib.h>

#include <algorithm>

namespace trouvimo {

using randr::replyTo;

namespace {

xcb_window_t rootOf(xcb_connection_t* connection, int screenNumber)
{
    const xcb_screen_t* screen = randr::screenOf(connection, screenNumber);
    return screen != nullptr ? screen->root : XCB_NONE;
}

auto screenInfo(xcb_connection_t* connection, xcb_window_t root)
{
    return replyTo(connection, xcb_randr_get_screen_info_reply,
                   xcb_randr_get_screen_info(connection, root));
}

} // namespace

X11Display::X11Display(const QString& guardProgram)
    : m_guard(guardProgram)
{
    const auto* x11 = qGuiApp != nullptr
        ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
        : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr || x11->display() == nullptr)
        return;
    m_connection = x11->connection();
    m_name = QString::fromLocal8Bit(XDisplayString(x11->display()));
    m_screenNumber = XDefaultScreen(x11->display());
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(m_connection, &xcb_randr_id);
    m_hasRandr = extension != nullptr && extension->present != 0;
    if (m_hasRandr) {
        m_monitors.emplace(m_connection, m_screenNumber);
        m_emulated = m_monitors->emulated();
    }
    if (canSwitch() && switchesOneMonitor()) {
        m_record.emplace(m_connection, m_screenNumber);
        restoreAbandonedSwitch();
    }
}

X11Display::~X11Display()
{
    restore();
}

QSize X11Display::monitorSize() const
{
    if (m_connection == nullptr)
        return QtScreenDisplay().monitorSize();
    if (switchesOneMonitor()) {
        if (const auto crtc = m_monitors->primaryCrtc()) {
            if (const auto found = m_monitors->read(*crtc))
                return {found->crtc.width, found->crtc.height};
        }
    }
    const auto geometry =
        replyTo(m_connection, xcb_get_geometry_reply,
                xcb_get_geometry(m_connection, rootOf(m_connection, m_screenNumber)));
    return geometry ? QSize(geometry->width, geometry->height) : QtScreenDisplay().monitorSize();
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
        const std::string line = randr::toLine(*m_savedMonitor);
        m_record->claim(line);
        // Without its guardian the game still switches: every way out it has of its own puts
        // the display back, and after a hard kill the next start finds the record.
        m_guard.start(m_name, line);
    }
    if (m_monitors->switchMode(*m_savedMonitor, size.width(), size.height()))
        return true;
    m_record->release();
    m_guard.dismiss();
    m_savedMonitor.reset();
    return false;
}

void X11Display::restore()
{
    if (m_savedMonitor) {
        m_monitors->restore(*m_savedMonitor);
        m_savedMonitor.reset();
        m_record->release();
        m_guard.dismiss();
    }
    if (m_savedScreen) {
        restoreWholeScreen(*m_savedScreen);
        m_savedScreen.reset();
    }
}

void X11Display::restoreAbandonedSwitch()
{
    const std::optional<std::string> line = m_record->abandoned();
    if (!line)
        return;
    if (const auto saved = randr::fromLine(*line))
        m_monitors->restore(*saved);
    m_record->erase(*line);
}

bool X11Display::switchWholeScreen(QSize size)
{
    const xcb_window_t root = rootOf(m_connection, m_screenNumber);
    const auto info = screenInfo(m_connection, root);
    if (!info)
        return false;

    const xcb_randr_screen_size_t* sizes = xcb_randr_get_screen_info_sizes(info.get());
    const auto* end = sizes + std::max(xcb_randr_get_screen_info_sizes_length(info.get()), 0);
    const auto* wanted = std::find_if(sizes, end, [size](const xcb_randr_screen_size_t& offered) {
        return offered.width == size.width() && offered.height == size.height();
    });
    if (wanted == end)
        return false;
    if (!m_savedScreen)
        m_savedScreen =
            WholeScreenConfiguration {info->sizeID, info->rotation, static_cast<short>(info->rate)};
    if (wanted - sizes == info->sizeID)
        return true;
    // A rate of 0 lets the server keep a rate the new size offers.
    replyTo(m_connection, xcb_randr_set_screen_config_reply,
            xcb_randr_set_screen_config(m_connection, root, XCB_CURRENT_TIME,
                                        info->config_timestamp,
                                        static_cast<uint16_t>(wanted - sizes), info->rotation, 0));
    return true;
}

void X11Display::restoreWholeScreen(const WholeScreenConfiguration& saved)
{
    const xcb_window_t root = rootOf(m_connection, m_screenNumber);
    const auto info = screenInfo(m_connection, root);
    if (!info)
        return;
    replyTo(m_connection, xcb_randr_set_screen_config_reply,
            xcb_randr_set_screen_config(m_connection, root, XCB_CURRENT_TIME,
                                        info->config_timestamp,
                                        static_cast<uint16_t>(saved.sizeIndex), saved.rotation,
                                        static_cast<uint16_t>(saved.rate)));
}

} // namespace trouvimo
