#include "platform/display/x11/randr/RandrScreen.h"

#include "platform/display/x11/randr/Xcb.h"

#include <xcb/randr.h>

#include <string_view>

namespace trouvimo::randr {

namespace {

using Resources = ReplyPtr<xcb_randr_get_screen_resources_current_reply_t>;
using CrtcInfo = ReplyPtr<xcb_randr_get_crtc_info_reply_t>;

// Reading the current resources asks the server for what it knows without probing the monitors,
// which can take a second on real hardware.
Resources currentResources(xcb_connection_t* connection, xcb_window_t root)
{
    return replyTo(connection, xcb_randr_get_screen_resources_current_reply,
                   xcb_randr_get_screen_resources_current(connection, root));
}

CrtcInfo crtcInfo(xcb_connection_t* connection, const Resources& resources, ResourceId crtc)
{
    return replyTo(connection, xcb_randr_get_crtc_info_reply,
                   xcb_randr_get_crtc_info(connection, static_cast<xcb_randr_crtc_t>(crtc),
                                           resources->config_timestamp));
}

auto outputInfo(xcb_connection_t* connection, const Resources& resources, ResourceId output)
{
    return replyTo(connection, xcb_randr_get_output_info_reply,
                   xcb_randr_get_output_info(connection, static_cast<xcb_randr_output_t>(output),
                                             resources->config_timestamp));
}

bool sideways(unsigned short rotation)
{
    return (rotation & (XCB_RANDR_ROTATION_ROTATE_90 | XCB_RANDR_ROTATION_ROTATE_270)) != 0;
}

double refreshOf(const xcb_randr_mode_info_t& mode)
{
    double lines = mode.vtotal;
    if ((mode.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) != 0)
        lines *= 2;
    if ((mode.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) != 0)
        lines /= 2;
    const double dotsPerFrame = lines * mode.htotal;
    return dotsPerFrame > 0 ? static_cast<double>(mode.dot_clock) / dotsPerFrame : 0.0;
}

const xcb_randr_mode_info_t* findMode(const Resources& resources, ResourceId id)
{
    const xcb_randr_mode_info_t* modes =
        xcb_randr_get_screen_resources_current_modes(resources.get());
    const int count = xcb_randr_get_screen_resources_current_modes_length(resources.get());
    for (int i = 0; i < count; ++i) {
        if (modes[i].id == id)
            return &modes[i];
    }
    return nullptr;
}

CrtcConfig configOf(ResourceId crtc, const CrtcInfo& info)
{
    CrtcConfig config;
    config.crtc = crtc;
    config.mode = info->mode;
    config.x = info->x;
    config.y = info->y;
    config.width = info->width;
    config.height = info->height;
    config.rotation = info->rotation;
    const xcb_randr_output_t* outputs = xcb_randr_get_crtc_info_outputs(info.get());
    config.outputs.assign(outputs, outputs + xcb_randr_get_crtc_info_outputs_length(info.get()));
    return config;
}

} // namespace

RandrScreen::RandrScreen(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection)
{
    if (m_connection == nullptr || xcb_connection_has_error(m_connection) != 0)
        return;
    const xcb_screen_t* screen = screenOf(m_connection, screenNumber);
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(m_connection, &xcb_randr_id);
    if (screen == nullptr || extension == nullptr || extension->present == 0)
        return;
    m_root = screen->root;
    m_openedAs = {screen->width_in_pixels, screen->height_in_pixels, screen->width_in_millimeters,
                  screen->height_in_millimeters};
    const auto version = replyTo(
        m_connection, xcb_randr_query_version_reply,
        xcb_randr_query_version(m_connection, XCB_RANDR_MAJOR_VERSION, XCB_RANDR_MINOR_VERSION));
    m_available = version != nullptr
        && (version->major_version > 1
            || (version->major_version == 1 && version->minor_version >= 2));
}

bool RandrScreen::emulated() const
{
    if (!m_available)
        return false;
    const Resources resources = currentResources(m_connection, m_root);
    if (!resources)
        return false;
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    for (int i = 0; i < count; ++i) {
        const auto info = outputInfo(m_connection, resources, outputs[i]);
        if (!info)
            continue;
        const std::string_view name(
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
            static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.get())));
        if (name.starts_with("XWAYLAND"))
            return true;
    }
    return false;
}

std::optional<ResourceId> RandrScreen::primaryCrtc() const
{
    if (!m_available)
        return std::nullopt;
    const Resources resources = currentResources(m_connection, m_root);
    if (!resources)
        return std::nullopt;
    const auto litCrtcOf = [this, &resources](ResourceId output) -> ResourceId {
        const auto info = outputInfo(m_connection, resources, output);
        if (!info || info->crtc == XCB_NONE)
            return 0;
        const CrtcInfo crtc = crtcInfo(m_connection, resources, info->crtc);
        return crtc && crtc->mode != XCB_NONE ? info->crtc : 0;
    };
    const auto primary = replyTo(m_connection, xcb_randr_get_output_primary_reply,
                                 xcb_randr_get_output_primary(m_connection, m_root));
    if (primary && primary->output != XCB_NONE) {
        if (const ResourceId crtc = litCrtcOf(primary->output))
            return crtc;
    }
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    for (int i = 0; i < count; ++i) {
        if (const ResourceId crtc = litCrtcOf(outputs[i]))
            return crtc;
    }
    return std::nullopt;
}

std::optional<Layout> RandrScreen::layout() const
{
    if (!m_available)
        return std::nullopt;
    const Resources resources = currentResources(m_connection, m_root);
    if (!resources)
        return std::nullopt;
    Layout layout {currentScreenSize(), {}};
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    for (int i = 0; i < xcb_randr_get_screen_resources_current_crtcs_length(resources.get()); ++i) {
        const CrtcInfo info = crtcInfo(m_connection, resources, crtcs[i]);
        if (!info)
            return std::nullopt;
        layout.crtcs.push_back(configOf(crtcs[i], info));
    }
    return layout;
}

std::optional<SavedConfiguration> RandrScreen::read(ResourceId crtc) const
{
    const std::optional<Layout> found = layout();
    if (!found)
        return std::nullopt;
    SavedConfiguration saved {found->screen, {}, {}};
    bool seen = false;
    for (const CrtcConfig& config : found->crtcs) {
        if (config.crtc == crtc) {
            saved.crtc = config;
            seen = true;
        } else if (config.lit()) {
            saved.others.push_back(config);
        }
    }
    if (!seen)
        return std::nullopt;
    return saved;
}

bool RandrScreen::switchMode(const SavedConfiguration& saved, int width, int height)
{
    if (!m_available)
        return false;
    const Resources resources = currentResources(m_connection, m_root);
    if (!resources || saved.crtc.outputs.empty())
        return false;

    // Every output of the CRTC must be able to show the mode; the first one's list is checked
    // and the server refuses the rest if they cannot.
    const auto output = outputInfo(m_connection, resources, saved.crtc.outputs.front());
    if (!output)
        return false;
    std::vector<Mode> offered;
    const xcb_randr_mode_t* outputModes = xcb_randr_get_output_info_modes(output.get());
    for (int i = 0; i < xcb_randr_get_output_info_modes_length(output.get()); ++i) {
        if (const xcb_randr_mode_info_t* mode = findMode(resources, outputModes[i]))
            offered.push_back({mode->id, mode->width, mode->height, refreshOf(*mode)});
    }
    const xcb_randr_mode_info_t* current = findMode(resources, saved.crtc.mode);
    const bool turned = sideways(saved.crtc.rotation);
    const std::optional<Mode> wanted =
        nearestMode(offered, turned ? height : width, turned ? width : height,
                    current != nullptr ? refreshOf(*current) : 0.0);
    if (!wanted)
        return false;

    const ServerGrab grab(m_connection);
    const std::optional<Layout> before = layout();
    if (!before)
        return false;
    Layout switched = *before;
    for (CrtcConfig& crtc : switched.crtcs) {
        if (crtc.crtc == saved.crtc.crtc) {
            crtc = saved.crtc;
            crtc.mode = wanted->id;
            crtc.width = width;
            crtc.height = height;
        }
    }
    switched.screen = screenAround(switched.crtcs, saved.screen);
    apply(stepsTo(*before, switched));
    return true;
}

void RandrScreen::restore(const SavedConfiguration& saved)
{
    if (!m_available)
        return;
    const ServerGrab grab(m_connection);
    const std::optional<Layout> now = layout();
    if (!now)
        return;
    if (const std::optional<Layout> restored = restoredLayout(saved, *now))
        apply(stepsTo(*now, *restored));
}

ScreenSize RandrScreen::currentScreenSize() const
{
    const auto geometry =
        replyTo(m_connection, xcb_get_geometry_reply, xcb_get_geometry(m_connection, m_root));
    if (!geometry)
        return m_openedAs;
    const auto scaled = [](int pixels, int referencePixels, int referenceMm) {
        return referencePixels > 0
            ? static_cast<int>(static_cast<long long>(pixels) * referenceMm / referencePixels)
            : referenceMm;
    };
    return {geometry->width, geometry->height,
            scaled(geometry->width, m_openedAs.width, m_openedAs.widthMm),
            scaled(geometry->height, m_openedAs.height, m_openedAs.heightMm)};
}

void RandrScreen::apply(const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::ResizeScreen) {
            await(m_connection,
                  xcb_randr_set_screen_size_checked(m_connection, m_root,
                                                    static_cast<uint16_t>(step.screen.width),
                                                    static_cast<uint16_t>(step.screen.height),
                                                    static_cast<uint32_t>(step.screen.widthMm),
                                                    static_cast<uint32_t>(step.screen.heightMm)));
            continue;
        }
        const Resources resources = currentResources(m_connection, m_root);
        if (!resources)
            continue;
        const std::vector<xcb_randr_output_t> outputs(step.crtc.outputs.begin(),
                                                      step.crtc.outputs.end());
        replyTo(m_connection, xcb_randr_set_crtc_config_reply,
                xcb_randr_set_crtc_config(
                    m_connection, static_cast<xcb_randr_crtc_t>(step.crtc.crtc), XCB_CURRENT_TIME,
                    resources->config_timestamp, static_cast<int16_t>(step.crtc.x),
                    static_cast<int16_t>(step.crtc.y),
                    static_cast<xcb_randr_mode_t>(step.crtc.mode), step.crtc.rotation,
                    static_cast<uint32_t>(outputs.size()), outputs.data()));
    }
}

} // namespace trouvimo::randr
