#pragma once

#include "platform/Display.h"
#include "platform/DisplayGuard.h"

#include "randr/RandrScreen.h"

#include <QString>

#include <memory>
#include <optional>

struct _XDisplay;

namespace trouvimo {

// The X display, measured and switched through RandR on a connection of its own, so that a
// switch neither waits for nor runs anything of the Qt event loop (it is made from closing
// paths that must not run other handlers). Every call has been carried out by the server when
// it returns.
//
// With RandR 1.2 or later only the primary monitor changes: its CRTC takes a mode of the asked
// size at the same place and rotation, the refresh rate nearest to the current one; the other
// monitors keep theirs, and the screen is sized to hold them all. A guardian process, started
// before the switch, restores the display if the game dies without doing it. With an older
// RandR the whole screen takes a size it offers. Without a server it measures what Qt sees and
// switches nothing.
class X11Display final : public Display {
public:
    // Connects to the display named by the DISPLAY variable. guardProgram: the guardian's
    // executable; empty to switch without one.
    explicit X11Display(const QString& guardProgram = {});
    ~X11Display() override;

    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    [[nodiscard]] QSize monitorSize() const override;
    bool switchTo(QSize size) override;
    void restore() override;

    // Whether the server can be switched, and whether it can switch one monitor alone.
    [[nodiscard]] bool canSwitch() const { return m_connection != nullptr && m_hasRandr; }
    [[nodiscard]] bool switchesOneMonitor() const { return m_monitors && m_monitors->available(); }

private:
    // A screen configuration of RandR 1.0: an index into the sizes the screen offers.
    struct WholeScreenConfiguration {
        int sizeIndex = 0;
        unsigned short rotation = 1;
        short rate = 0;
    };

    bool switchWholeScreen(QSize size);
    void restoreWholeScreen(const WholeScreenConfiguration& saved);

    struct CloseConnection {
        void operator()(_XDisplay* connection) const;
    };
    std::unique_ptr<_XDisplay, CloseConnection> m_connection;
    bool m_hasRandr = false;
    std::optional<randr::RandrScreen> m_monitors;
    DisplayGuard m_guard;
    std::optional<randr::SavedConfiguration> m_savedMonitor;
    std::optional<WholeScreenConfiguration> m_savedScreen;
};

} // namespace trouvimo
