#pragma once

#include "platform/display/Display.h"
#include "platform/display/x11/DisplayGuard.h"

#include "platform/display/x11/randr/RandrScreen.h"
#include "platform/display/x11/randr/SwitchRecord.h"

#include <QString>

#include <optional>

struct xcb_connection_t;

namespace trouvimo {

// The X display that the game shows on, measured and switched through RandR on Qt's own
// connection to it, with requests and their replies alone: a switch neither waits for nor runs
// anything of the Qt event loop (it is made from closing paths that must not run other
// handlers), and no error of a refused request reaches Qt. Every call has been carried out by
// the server when it returns.
//
// With RandR 1.2 or later only the primary monitor changes: its CRTC takes a mode of the asked
// size at the same place and rotation, the refresh rate nearest to the current one; the other
// monitors keep theirs, and the screen is sized to hold them all. A guardian process, started
// before the switch, restores the display if the game dies without doing it, and a record on the
// server of what was found lets a later start restore it if the guardian died too: such a
// start puts the display back before it measures anything. With an older RandR the whole screen
// takes a size it offers. Without a server it measures what Qt sees and switches nothing.
class X11Display final : public Display {
public:
    // The display of the running QGuiApplication when it runs on X11. guardProgram: the
    // guardian's executable; empty to switch without one.
    explicit X11Display(const QString& guardProgram = {});
    ~X11Display() override;

    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    [[nodiscard]] QSize monitorSize() const override;
    bool switchTo(QSize size) override;
    void restore() override;

    // Whether the server can be switched, and whether it can switch one monitor alone. XWayland
    // is never switched: its modes are emulated for the client that sets them, so a switch
    // would only shrink what the game draws while the monitor keeps its size.
    [[nodiscard]] bool canSwitch() const
    {
        return m_connection != nullptr && m_hasRandr && !m_emulated;
    }
    [[nodiscard]] bool switchesOneMonitor() const { return m_monitors && m_monitors->available(); }

private:
    // A screen configuration of RandR 1.0: an index into the sizes the screen offers.
    struct WholeScreenConfiguration {
        int sizeIndex = 0;
        unsigned short rotation = 1;
        short rate = 0;
    };

    void restoreAbandonedSwitch();
    bool switchWholeScreen(QSize size);
    void restoreWholeScreen(const WholeScreenConfiguration& saved);

    // Qt's, which outlives the display: the game ends without closing the application.
    xcb_connection_t* m_connection = nullptr;
    QString m_name;
    int m_screenNumber = 0;
    bool m_hasRandr = false;
    bool m_emulated = false;
    std::optional<randr::RandrScreen> m_monitors;
    std::optional<randr::SwitchRecord> m_record;
    DisplayGuard m_guard;
    std::optional<randr::SavedConfiguration> m_savedMonitor;
    std::optional<WholeScreenConfiguration> m_savedScreen;
};

} // namespace trouvimo
