#include "randr/ScreenLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trouvimo::randr {

std::optional<Mode> nearestMode(const std::vector<Mode>& modes, int width, int height,
                                double refresh)
{
    std::optional<Mode> best;
    for (const Mode& mode : modes) {
        if (mode.width != width || mode.height != height)
            continue;
        if (!best || std::abs(mode.refresh - refresh) < std::abs(best->refresh - refresh))
            best = mode;
    }
    return best;
}

ScreenSize screenAround(const std::vector<CrtcConfig>& crtcs, const ScreenSize& density)
{
    ScreenSize screen;
    for (const CrtcConfig& crtc : crtcs) {
        if (!crtc.lit())
            continue;
        screen.width = std::max(screen.width, crtc.x + crtc.width);
        screen.height = std::max(screen.height, crtc.y + crtc.height);
    }
    const auto millimetres = [](int pixels, int referencePixels, int referenceMm) {
        if (referencePixels <= 0)
            return referenceMm;
        return static_cast<int>(
            std::lround(static_cast<double>(pixels) * referenceMm / referencePixels));
    };
    screen.widthMm = millimetres(screen.width, density.width, density.widthMm);
    screen.heightMm = millimetres(screen.height, density.height, density.heightMm);
    return screen;
}

std::vector<Step> stepsTo(const ScreenSize& current, const ScreenSize& target,
                          const CrtcConfig& crtc)
{
    std::vector<Step> steps;
    ScreenSize holdingBoth = current;
    if (target.width > current.width || target.height > current.height) {
        holdingBoth.width = std::max(current.width, target.width);
        holdingBoth.height = std::max(current.height, target.height);
        holdingBoth.widthMm = holdingBoth.width == target.width ? target.widthMm : current.widthMm;
        holdingBoth.heightMm =
            holdingBoth.height == target.height ? target.heightMm : current.heightMm;
        steps.push_back({Step::Kind::ResizeScreen, holdingBoth, {}});
    }
    steps.push_back({Step::Kind::SetCrtc, {}, crtc});
    if (!(holdingBoth == target))
        steps.push_back({Step::Kind::ResizeScreen, target, {}});
    return steps;
}

} // namespace trouvimo::randr
