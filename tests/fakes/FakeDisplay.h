#pragma once

#include "Display.h"

#include <QSize>

#include <vector>

namespace trouvimo {

// A screen whose metrics a test sets, recording every mode asked for. With switchesModes set it
// behaves like a screen that accepts every mode: the metrics follow the last switch.
class FakeDisplay final : public Display {
public:
    FakeDisplay() = default;
    FakeDisplay(int widthPixels, int heightPixels, double twipsPerPixel = 15.0)
    {
        setPixels(widthPixels, heightPixels, twipsPerPixel);
    }

    [[nodiscard]] ScreenMetrics metrics() const override { return screen; }

    void setMode(int width, int height) override
    {
        modesSet.emplace_back(width, height);
        if (switchesModes) {
            screen.widthTwips = width * screen.twipsPerPixelX;
            screen.heightTwips = height * screen.twipsPerPixelY;
        }
    }

    void setPixels(int widthPixels, int heightPixels, double twipsPerPixel = 15.0)
    {
        screen.twipsPerPixelX = twipsPerPixel;
        screen.twipsPerPixelY = twipsPerPixel;
        screen.widthTwips = widthPixels * twipsPerPixel;
        screen.heightTwips = heightPixels * twipsPerPixel;
    }

    ScreenMetrics screen;
    std::vector<QSize> modesSet;
    bool switchesModes = false;
};

} // namespace trouvimo
