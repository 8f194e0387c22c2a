#pragma once

#include "Display.h"

#include <memory>

struct _XDisplay;

namespace trouvimo {

// The X screen, measured and switched through the RandR extension on a connection of its own,
// so that a switch neither waits for nor runs anything of the Qt event loop (it is made from
// closing paths that must not run other handlers).
//
// metrics() reads the size of the root window from the server at each call, so it is current
// even right after a switch. setMode() picks the screen size of exactly that width and height,
// keeping the refresh rate when the size offers it, and waits until the server has made the
// switch; a size the screen does not offer changes nothing. Without a connection to the server
// or without RandR, it measures the screen as Qt does and switches nothing.
class X11Display final : public Display {
public:
    // Connects to the display named by the DISPLAY variable.
    X11Display();
    ~X11Display() override;

    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    [[nodiscard]] ScreenMetrics metrics() const override;
    void setMode(int width, int height) override;

    // Whether the server could be reached and offers RandR, so that setMode() can switch.
    [[nodiscard]] bool canSwitch() const { return m_connection != nullptr && m_hasRandr; }

private:
    struct CloseConnection {
        void operator()(_XDisplay* connection) const;
    };
    std::unique_ptr<_XDisplay, CloseConnection> m_connection;
    bool m_hasRandr = false;
};

} // namespace trouvimo
