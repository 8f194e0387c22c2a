#pragma once

#include "randr/ScreenLayout.h"

#include <optional>

struct _XDisplay;

namespace trouvimo::randr {

// One X screen's monitors, read and changed through RandR 1.2 on a connection that the caller
// owns. Nothing here runs an event loop: every call is a few requests and their replies.
class RandrScreen {
public:
    explicit RandrScreen(_XDisplay* connection);

    // Whether the server speaks RandR 1.2 or later, which changes one monitor at a time.
    [[nodiscard]] bool available() const { return m_available; }

    // The CRTC of the monitor that desktops and Qt treat as the primary one: the primary output
    // when one is set and lit, otherwise the first lit output.
    [[nodiscard]] std::optional<ResourceId> primaryCrtc() const;

    // That CRTC and the screen around it, as they are now.
    [[nodiscard]] std::optional<SavedConfiguration> read(ResourceId crtc) const;

    // Sets the saved CRTC to a mode of width x height (before rotation) at its place and
    // rotation, the refresh rate nearest to its current one, and sizes the screen to hold every
    // monitor. False when the monitor offers no such mode.
    bool switchMode(const SavedConfiguration& saved, int width, int height);

    // Puts the CRTC and the screen size back as they were saved.
    void restore(const SavedConfiguration& saved);

private:
    void apply(const std::vector<Step>& steps);

    _XDisplay* m_connection;
    bool m_available = false;
};

} // namespace trouvimo::randr
