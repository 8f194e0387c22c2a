#include "randr/RandrScreen.h"

#include "randr/IgnoredXErrors.h"

// Xlib's macros (None, Bool, Status...) clash with other headers' names, so its headers come last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <memory>

namespace trouvimo::randr {

namespace {

struct FreeResources {
    void operator()(XRRScreenResources* resources) const { XRRFreeScreenResources(resources); }
};
struct FreeCrtcInfo {
    void operator()(XRRCrtcInfo* info) const { XRRFreeCrtcInfo(info); }
};
struct FreeOutputInfo {
    void operator()(XRROutputInfo* info) const { XRRFreeOutputInfo(info); }
};
using Resources = std::unique_ptr<XRRScreenResources, FreeResources>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, FreeCrtcInfo>;
using OutputInfo = std::unique_ptr<XRROutputInfo, FreeOutputInfo>;

// Reading the current resources asks the server for what it knows without probing the monitors,
// which can take a second on real hardware.
Resources currentResources(::Display* connection)
{
    return Resources(XRRGetScreenResourcesCurrent(connection, XDefaultRootWindow(connection)));
}

bool sideways(Rotation rotation)
{
    return (rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
}

double refreshOf(const XRRModeInfo& mode)
{
    double lines = mode.vTotal;
    if ((mode.modeFlags & RR_DoubleScan) != 0)
        lines *= 2;
    if ((mode.modeFlags & RR_Interlace) != 0)
        lines /= 2;
    const double dotsPerFrame = lines * mode.hTotal;
    return dotsPerFrame > 0 ? static_cast<double>(mode.dotClock) / dotsPerFrame : 0.0;
}

const XRRModeInfo* findMode(const XRRScreenResources& resources, RRMode id)
{
    for (int i = 0; i < resources.nmode; ++i) {
        if (resources.modes[i].id == id)
            return &resources.modes[i];
    }
    return nullptr;
}

CrtcConfig configOf(ResourceId crtc, const XRRCrtcInfo& info)
{
    CrtcConfig config;
    config.crtc = crtc;
    config.mode = info.mode;
    config.x = info.x;
    config.y = info.y;
    config.width = static_cast<int>(info.width);
    config.height = static_cast<int>(info.height);
    config.rotation = info.rotation;
    config.outputs.assign(info.outputs, info.outputs + info.noutput);
    return config;
}

ScreenSize currentScreenSize(::Display* connection)
{
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    XGetGeometry(connection, XDefaultRootWindow(connection), &root, &x, &y, &width, &height,
                 &border, &depth);
    const int screen = XDefaultScreen(connection);
    // The millimetres are those the connection was told when it opened; the connection is
    // opened before the game switches anything, so they are the desktop's own.
    const auto scaled = [](unsigned int pixels, int referencePixels, int referenceMm) {
        return referencePixels > 0
            ? static_cast<int>(static_cast<long long>(pixels) * referenceMm / referencePixels)
            : referenceMm;
    };
    return {
        static_cast<int>(width), static_cast<int>(height),
        scaled(width, XDisplayWidth(connection, screen), XDisplayWidthMM(connection, screen)),
        scaled(height, XDisplayHeight(connection, screen), XDisplayHeightMM(connection, screen))};
}

} // namespace

RandrScreen::RandrScreen(_XDisplay* connection)
    : m_connection(connection)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    m_available = connection != nullptr
        && XRRQueryExtension(connection, &eventBase, &errorBase) != 0
        && XRRQueryVersion(connection, &major, &minor) != 0
        && (major > 1 || (major == 1 && minor >= 2));
}

std::optional<ResourceId> RandrScreen::primaryCrtc() const
{
    if (!m_available)
        return std::nullopt;
    const IgnoredXErrors ignoredErrors;
    const Resources resources = currentResources(m_connection);
    if (!resources)
        return std::nullopt;
    const auto litCrtcOf = [this, &resources](RROutput output) -> RRCrtc {
        const OutputInfo info(XRRGetOutputInfo(m_connection, resources.get(), output));
        if (!info || info->crtc == 0)
            return 0;
        const CrtcInfo crtc(XRRGetCrtcInfo(m_connection, resources.get(), info->crtc));
        return crtc && crtc->mode != 0 ? info->crtc : 0;
    };
    if (const RROutput primary =
            XRRGetOutputPrimary(m_connection, XDefaultRootWindow(m_connection))) {
        if (const RRCrtc crtc = litCrtcOf(primary))
            return crtc;
    }
    for (int i = 0; i < resources->noutput; ++i) {
        if (const RRCrtc crtc = litCrtcOf(resources->outputs[i]))
            return crtc;
    }
    return std::nullopt;
}

std::optional<SavedConfiguration> RandrScreen::read(ResourceId crtc) const
{
    if (!m_available)
        return std::nullopt;
    const IgnoredXErrors ignoredErrors;
    const Resources resources = currentResources(m_connection);
    if (!resources)
        return std::nullopt;
    const CrtcInfo info(XRRGetCrtcInfo(m_connection, resources.get(), crtc));
    if (!info)
        return std::nullopt;
    return SavedConfiguration {currentScreenSize(m_connection), configOf(crtc, *info)};
}

bool RandrScreen::switchMode(const SavedConfiguration& saved, int width, int height)
{
    if (!m_available)
        return false;
    const IgnoredXErrors ignoredErrors;
    const Resources resources = currentResources(m_connection);
    if (!resources || saved.crtc.outputs.empty())
        return false;

    // Every output of the CRTC must be able to show the mode; the first one's list is checked
    // and the server refuses the rest if they cannot.
    const OutputInfo output(
        XRRGetOutputInfo(m_connection, resources.get(), saved.crtc.outputs.front()));
    if (!output)
        return false;
    std::vector<Mode> offered;
    for (int i = 0; i < output->nmode; ++i) {
        if (const XRRModeInfo* mode = findMode(*resources, output->modes[i]))
            offered.push_back({mode->id, static_cast<int>(mode->width),
                               static_cast<int>(mode->height), refreshOf(*mode)});
    }
    const XRRModeInfo* current = findMode(*resources, saved.crtc.mode);
    const bool turned = sideways(saved.crtc.rotation);
    const std::optional<Mode> wanted =
        nearestMode(offered, turned ? height : width, turned ? width : height,
                    current != nullptr ? refreshOf(*current) : 0.0);
    if (!wanted)
        return false;

    CrtcConfig switched = saved.crtc;
    switched.mode = wanted->id;
    switched.width = width;
    switched.height = height;
    std::vector<CrtcConfig> layout;
    for (int i = 0; i < resources->ncrtc; ++i) {
        if (resources->crtcs[i] == saved.crtc.crtc) {
            layout.push_back(switched);
        } else if (const CrtcInfo info {
                       XRRGetCrtcInfo(m_connection, resources.get(), resources->crtcs[i])}) {
            layout.push_back(configOf(resources->crtcs[i], *info));
        }
    }
    apply(stepsTo(currentScreenSize(m_connection), screenAround(layout, saved.screen), switched));
    return true;
}

void RandrScreen::restore(const SavedConfiguration& saved)
{
    if (!m_available)
        return;
    apply(stepsTo(currentScreenSize(m_connection), saved.screen, saved.crtc));
}

void RandrScreen::apply(const std::vector<Step>& steps)
{
    const IgnoredXErrors ignoredErrors;
    const Window root = XDefaultRootWindow(m_connection);
    // No other client sees the layout between two steps.
    XGrabServer(m_connection);
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::ResizeScreen) {
            XRRSetScreenSize(m_connection, root, step.screen.width, step.screen.height,
                             step.screen.widthMm, step.screen.heightMm);
            continue;
        }
        const Resources resources = currentResources(m_connection);
        if (!resources)
            continue;
        std::vector<RROutput> outputs(step.crtc.outputs.begin(), step.crtc.outputs.end());
        XRRSetCrtcConfig(m_connection, resources.get(), step.crtc.crtc, CurrentTime, step.crtc.x,
                         step.crtc.y, step.crtc.mode, step.crtc.rotation, outputs.data(),
                         static_cast<int>(outputs.size()));
    }
    XUngrabServer(m_connection);
    XSync(m_connection, False);
}

} // namespace trouvimo::randr
