#include "randr/ScreenLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace trouvimo::randr {

std::string toLine(const SavedConfiguration& saved)
{
    const CrtcConfig& crtc = saved.crtc;
    std::string line;
    for (const unsigned long value :
         {crtc.crtc, crtc.mode, static_cast<unsigned long>(crtc.x),
          static_cast<unsigned long>(crtc.y), static_cast<unsigned long>(crtc.width),
          static_cast<unsigned long>(crtc.height), static_cast<unsigned long>(crtc.rotation),
          static_cast<unsigned long>(saved.screen.width),
          static_cast<unsigned long>(saved.screen.height),
          static_cast<unsigned long>(saved.screen.widthMm),
          static_cast<unsigned long>(saved.screen.heightMm),
          static_cast<unsigned long>(crtc.outputs.size())}) {
        line += std::to_string(value) + ' ';
    }
    for (const ResourceId output : crtc.outputs)
        line += std::to_string(output) + ' ';
    line.back() = '\n';
    return line;
}

std::optional<SavedConfiguration> fromLine(std::string_view line)
{
    std::vector<unsigned long> values;
    const char* next = line.data();
    const char* const end = line.data() + line.size();
    while (next != end && *next != '\n') {
        unsigned long value = 0;
        const auto [stop, error] = std::from_chars(next, end, value);
        if (error != std::errc() || stop == end || (*stop != ' ' && *stop != '\n'))
            return std::nullopt;
        values.push_back(value);
        next = *stop == ' ' ? stop + 1 : stop;
    }
    constexpr std::size_t kFixedFields = 12;
    // A monitor has a few outputs at most; a count beyond the numbers given is no configuration.
    if (values.size() < kFixedFields || values[11] != values.size() - kFixedFields)
        return std::nullopt;
    const auto toInt = [](unsigned long value) -> std::optional<int> {
        if (value > static_cast<unsigned long>(std::numeric_limits<int>::max()))
            return std::nullopt;
        return static_cast<int>(value);
    };
    const auto x = toInt(values[2]);
    const auto y = toInt(values[3]);
    const auto width = toInt(values[4]);
    const auto height = toInt(values[5]);
    const auto screenWidth = toInt(values[7]);
    const auto screenHeight = toInt(values[8]);
    const auto widthMm = toInt(values[9]);
    const auto heightMm = toInt(values[10]);
    if (!x || !y || !width || !height || !screenWidth || !screenHeight || !widthMm || !heightMm
        || values[6] > std::numeric_limits<unsigned short>::max())
        return std::nullopt;
    SavedConfiguration saved;
    saved.crtc = {values[0],
                  values[1],
                  *x,
                  *y,
                  *width,
                  *height,
                  static_cast<unsigned short>(values[6]),
                  std::vector<ResourceId>(values.begin() + kFixedFields, values.end())};
    saved.screen = {*screenWidth, *screenHeight, *widthMm, *heightMm};
    return saved;
}

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
