#include "platform/display/x11/randr/ScreenLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

namespace trouvimo::randr {

namespace {

// The numbers of one CRTC in a saved line before its outputs: id, mode, x, y, width, height,
// rotation and the count of outputs.
constexpr std::size_t kCrtcFields = 8;
constexpr std::size_t kScreenFields = 4;

void appendCrtc(std::string& line, const CrtcConfig& crtc)
{
    for (const long long value :
         {static_cast<long long>(crtc.crtc), static_cast<long long>(crtc.mode),
          static_cast<long long>(crtc.x), static_cast<long long>(crtc.y),
          static_cast<long long>(crtc.width), static_cast<long long>(crtc.height),
          static_cast<long long>(crtc.rotation), static_cast<long long>(crtc.outputs.size())})
        line += std::to_string(value) + ' ';
    for (const ResourceId output : crtc.outputs)
        line += std::to_string(output) + ' ';
}

template <typename Number> std::optional<Number> narrowed(long long value)
{
    if (value < std::numeric_limits<Number>::min() || value > std::numeric_limits<Number>::max())
        return std::nullopt;
    return static_cast<Number>(value);
}

// The CRTC whose numbers start at `values[at]`, and moves `at` past them; nothing when they are
// cut short or out of range. X resource ids have 29 bits.
std::optional<CrtcConfig> crtcAt(const std::vector<long long>& values, std::size_t& at)
{
    if (values.size() - at < kCrtcFields)
        return std::nullopt;
    const long long* field = values.data() + at;
    const auto id = narrowed<std::uint32_t>(field[0]);
    const auto mode = narrowed<std::uint32_t>(field[1]);
    const auto x = narrowed<std::int16_t>(field[2]);
    const auto y = narrowed<std::int16_t>(field[3]);
    const auto width = narrowed<std::uint16_t>(field[4]);
    const auto height = narrowed<std::uint16_t>(field[5]);
    const auto rotation = narrowed<std::uint16_t>(field[6]);
    const auto count = narrowed<std::uint16_t>(field[7]);
    if (!id || !mode || !x || !y || !width || !height || !rotation || !count
        || values.size() - at - kCrtcFields < *count)
        return std::nullopt;
    CrtcConfig crtc {*id, *mode, *x, *y, *width, *height, *rotation, {}};
    for (const long long output : std::span(field + kCrtcFields, *count)) {
        const auto outputId = narrowed<std::uint32_t>(output);
        if (!outputId)
            return std::nullopt;
        crtc.outputs.push_back(*outputId);
    }
    at += kCrtcFields + *count;
    return crtc;
}

} // namespace

std::string toLine(const SavedConfiguration& saved)
{
    std::string line;
    for (const int value :
         {saved.screen.width, saved.screen.height, saved.screen.widthMm, saved.screen.heightMm})
        line += std::to_string(value) + ' ';
    appendCrtc(line, saved.crtc);
    for (const CrtcConfig& other : saved.others)
        appendCrtc(line, other);
    line.back() = '\n';
    return line;
}

std::optional<SavedConfiguration> fromLine(std::string_view line)
{
    std::vector<long long> values;
    const char* next = line.data();
    const char* const end = line.data() + line.size();
    while (next != end && *next != '\n') {
        long long value = 0;
        const auto [stop, error] = std::from_chars(next, end, value);
        if (error != std::errc() || stop == end || (*stop != ' ' && *stop != '\n'))
            return std::nullopt;
        values.push_back(value);
        next = *stop == ' ' ? stop + 1 : stop;
    }
    if (values.size() < kScreenFields)
        return std::nullopt;
    SavedConfiguration saved;
    int* const screen[] = {&saved.screen.width, &saved.screen.height, &saved.screen.widthMm,
                           &saved.screen.heightMm};
    for (std::size_t i = 0; i < kScreenFields; ++i) {
        const auto value = narrowed<std::uint16_t>(values[i]);
        if (!value)
            return std::nullopt;
        *screen[i] = *value;
    }
    std::size_t at = kScreenFields;
    const auto game = crtcAt(values, at);
    if (!game)
        return std::nullopt;
    saved.crtc = *game;
    while (at < values.size()) {
        const auto other = crtcAt(values, at);
        if (!other)
            return std::nullopt;
        saved.others.push_back(*other);
    }
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

std::vector<Step> stepsTo(const Layout& current, const Layout& target)
{
    std::vector<Step> steps;
    ScreenSize holdingBoth = current.screen;
    if (target.screen.width > current.screen.width
        || target.screen.height > current.screen.height) {
        holdingBoth.width = std::max(current.screen.width, target.screen.width);
        holdingBoth.height = std::max(current.screen.height, target.screen.height);
        holdingBoth.widthMm = holdingBoth.width == target.screen.width ? target.screen.widthMm
                                                                       : current.screen.widthMm;
        holdingBoth.heightMm = holdingBoth.height == target.screen.height ? target.screen.heightMm
                                                                          : current.screen.heightMm;
        steps.push_back({Step::Kind::ResizeScreen, holdingBoth, {}});
    }
    for (const CrtcConfig& crtc : target.crtcs) {
        const auto was = std::find_if(current.crtcs.begin(), current.crtcs.end(),
                                      [&crtc](const CrtcConfig& c) { return c.crtc == crtc.crtc; });
        if (was == current.crtcs.end() || !(*was == crtc))
            steps.push_back({Step::Kind::SetCrtc, {}, crtc});
    }
    if (!(holdingBoth == target.screen))
        steps.push_back({Step::Kind::ResizeScreen, target.screen, {}});
    return steps;
}

namespace {

bool overlap(const CrtcConfig& a, const CrtcConfig& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height
        && b.y < a.y + a.height;
}

// Whether the CRTC shows what it showed when the configuration was saved.
bool unchanged(const SavedConfiguration& saved, const CrtcConfig& crtc)
{
    const auto found = std::find_if(saved.others.begin(), saved.others.end(),
                                    [&crtc](const CrtcConfig& c) { return c.crtc == crtc.crtc; });
    return found == saved.others.end() ? !crtc.lit() : *found == crtc;
}

} // namespace

std::optional<Layout> restoredLayout(const SavedConfiguration& saved, const Layout& now)
{
    const auto gameNow = std::find_if(now.crtcs.begin(), now.crtcs.end(), [&saved](const auto& c) {
        return c.crtc == saved.crtc.crtc;
    });
    if (gameNow == now.crtcs.end() || !gameNow->lit() || gameNow->outputs != saved.crtc.outputs)
        return std::nullopt;
    CrtcConfig game = saved.crtc;
    game.x = gameNow->x;
    game.y = gameNow->y;
    bool asFound = game == saved.crtc;

    Layout restored {saved.screen, {}};
    for (CrtcConfig crtc : now.crtcs) {
        if (crtc.crtc == game.crtc) {
            restored.crtcs.push_back(game);
            continue;
        }
        if (unchanged(saved, crtc)) {
            restored.crtcs.push_back(crtc);
            continue;
        }
        asFound = false;
        // A monitor that mirrors or overlaps the game's one now was put there on purpose.
        if (crtc.lit() && overlap(crtc, game) && !overlap(crtc, *gameNow)) {
            if (crtc.x >= gameNow->x + gameNow->width)
                crtc.x += game.width - gameNow->width;
            else if (crtc.y >= gameNow->y + gameNow->height)
                crtc.y += game.height - gameNow->height;
        }
        restored.crtcs.push_back(crtc);
    }
    if (!asFound)
        restored.screen = screenAround(restored.crtcs, saved.screen);
    return restored;
}

} // namespace trouvimo::randr
