#pragma once

#include "platform/display/x11/randr/ScreenLayout.h"

#include <optional>

struct xcb_connection_t;

namespace trouvimo::randr {

// One X screen's monitors, read and changed through RandR 1.2 on a connection that the caller
// owns. Nothing here runs an event loop or reads events: every call is a few requests and their
// replies, and a request the server refuses only leaves the display as it was (its error is
// taken with its reply, never left among the connection's events).
class RandrScreen {
public:
    RandrScreen(xcb_connection_t* connection, int screenNumber);

    // Whether the server speaks RandR 1.2 or later, which changes one monitor at a time.
    [[nodiscard]] bool available() const { return m_available; }

    // Whether the monitors are those XWayland shows for a Wayland compositor: a mode set
    // through RandR then changes what this client alone sees, never the monitor.
    [[nodiscard]] bool emulated() const;

    // The CRTC of the monitor that desktops and Qt treat as the primary one: the primary output
    // when one is set and lit, otherwise the first lit output.
    [[nodiscard]] std::optional<ResourceId> primaryCrtc() const;

    // That CRTC, every other lit one and the screen around them, as they are now.
    [[nodiscard]] std::optional<SavedConfiguration> read(ResourceId crtc) const;

    // Sets the saved CRTC to a mode of width x height (before rotation) at its place and
    // rotation, the refresh rate nearest to its current one, and sizes the screen to hold every
    // monitor. False when the monitor offers no such mode.
    bool switchMode(const SavedConfiguration& saved, int width, int height);

    // Puts the saved CRTC and the screen back as they were saved, keeping what the family changed
    // since (see restoredLayout). Putting back a display that is already back changes nothing.
    void restore(const SavedConfiguration& saved);

private:
    // Makes the steps' requests under a ServerGrab that the caller holds.
    void apply(const std::vector<Step>& steps);
    [[nodiscard]] std::optional<Layout> layout() const;
    [[nodiscard]] ScreenSize currentScreenSize() const;

    xcb_connection_t* m_connection;
    unsigned int m_root = 0;
    // The screen's size in millimetres as the connection was told when it opened, before the
    // game switched anything: the desktop's own.
    ScreenSize m_openedAs;
    bool m_available = false;
};

} // namespace trouvimo::randr
