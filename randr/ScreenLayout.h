#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trouvimo::randr {

// An X resource id (a CRTC, a mode or an output), as Xlib's XID.
using ResourceId = unsigned long;

// What one CRTC shows and where. width and height are its size on the screen, rotation applied.
struct CrtcConfig {
    ResourceId crtc = 0;
    ResourceId mode = 0; // 0 while the CRTC is off
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    unsigned short rotation = 1;
    std::vector<ResourceId> outputs;

    [[nodiscard]] bool lit() const { return mode != 0 && !outputs.empty(); }
    bool operator==(const CrtcConfig&) const = default;
};

// The size of the X screen, which holds every monitor, in pixels and in millimetres.
struct ScreenSize {
    int width = 0;
    int height = 0;
    int widthMm = 0;
    int heightMm = 0;

    bool operator==(const ScreenSize&) const = default;
};

struct Mode {
    ResourceId id = 0;
    int width = 0;
    int height = 0;
    double refresh = 0.0;
};

// The monitor the game shows on and the screen around it, as found before the game switched.
struct SavedConfiguration {
    ScreenSize screen;
    CrtcConfig crtc;
};

// A saved configuration as one line of decimal numbers, for the guardian process that holds it:
// the CRTC, its mode, place, size and rotation, the screen in pixels and millimetres, then the
// count of outputs and the outputs.
[[nodiscard]] std::string toLine(const SavedConfiguration& saved);
// The configuration a line of toLine() describes; nothing for any other text.
[[nodiscard]] std::optional<SavedConfiguration> fromLine(std::string_view line);

// The mode of exactly width x height whose refresh rate is nearest to `refresh`; nothing when
// the monitor offers no mode of that size.
[[nodiscard]] std::optional<Mode> nearestMode(const std::vector<Mode>& modes, int width, int height,
                                              double refresh);

// The smallest screen that holds every lit CRTC, at the density in pixels per millimetre of
// `density`, so that switching one monitor leaves the desktop's font resolution alone.
[[nodiscard]] ScreenSize screenAround(const std::vector<CrtcConfig>& crtcs,
                                      const ScreenSize& density);

// One request to the server while the configuration changes.
struct Step {
    enum class Kind { ResizeScreen, SetCrtc };
    Kind kind = Kind::SetCrtc;
    ScreenSize screen;
    CrtcConfig crtc;

    bool operator==(const Step&) const = default;
};

// The requests that take the screen from `current` to `target` with `crtc` set on the way, in
// an order the server accepts: a CRTC must always lie within the screen, so the screen first
// grows to hold both layouts, then the CRTC changes, then the screen takes its final size.
[[nodiscard]] std::vector<Step> stepsTo(const ScreenSize& current, const ScreenSize& target,
                                        const CrtcConfig& crtc);

} // namespace trouvimo::randr
