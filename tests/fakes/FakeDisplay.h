#pragma once

#include "platform/display/Display.h"

#include <QSize>

#include <optional>
#include <vector>

namespace trouvimo {

// A monitor whose size a test sets, recording every switch asked for. It accepts every size and
// keeps the one it was found at, as a real monitor with every mode would, unless it refuses every
// switch, as a Wayland session does.
class FakeDisplay final : public Display {
public:
    FakeDisplay() = default;
    explicit FakeDisplay(QSize size)
        : current(size)
    {
    }

    [[nodiscard]] QSize monitorSize() const override { return current; }

    bool switchTo(QSize size) override
    {
        switches.push_back(size);
        if (refuses)
            return false;
        if (!found)
            found = current;
        current = size;
        return true;
    }

    void restore() override
    {
        ++restores;
        if (found)
            current = *found;
        found.reset();
    }

    QSize current;
    std::optional<QSize> found;
    std::vector<QSize> switches;
    int restores = 0;
    bool refuses = false;
};

} // namespace trouvimo
