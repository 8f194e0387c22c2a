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

// Every CRTC of a screen, lit or not, and the screen's size, as they are at one moment.
struct Layout {
    ScreenSize screen;
    std::vector<CrtcConfig> crtcs;

    bool operator==(const Layout&) const = default;
};

// The monitor the game shows on and the screen around it, as found before the game switched.
struct SavedConfiguration {
    ScreenSize screen;
    CrtcConfig crtc;
    // The other CRTCs that were lit; any CRTC not among them was off.
    std::vector<CrtcConfig> others;
};

// A saved configuration as one line of decimal numbers, for the guardian process and the record
// on the X server that hold it: the screen in pixels and millimetres, then each CRTC, the game's
// first, as its id, mode, place, size and rotation, the count of its outputs and the outputs.
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

// The requests that take the screen from `current` to `target`, in an order the server accepts:
// a CRTC must always lie within the screen, so the screen first grows to hold both layouts, then
// each CRTC that differs changes, then the screen takes its final size.
[[nodiscard]] std::vector<Step> stepsTo(const Layout& current, const Layout& target);

// The layout that puts the display back from `now` as the family would expect it after the game:
// the game's monitor at its saved mode and rotation, where it lies now (its saved place unless
// the family moved it), and everything the family changed during play kept: a monitor lit or
// moved during play keeps its place beside the game's monitor, pushed out by as much as the
// game's monitor grows rather than left under it; one turned off stays off. The screen is the
// saved one when nothing else changed, otherwise the smallest that holds every monitor. Nothing
// when the game's monitor is no longer lit with its own outputs: the family has turned it off or
// given it to another use, and it stays so.
[[nodiscard]] std::optional<Layout> restoredLayout(const SavedConfiguration& saved,
                                                   const Layout& now);

} // namespace trouvimo::randr
