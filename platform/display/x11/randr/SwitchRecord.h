#pragma once

#include <optional>
#include <string>

struct xcb_connection_t;

namespace trouvimo::randr {

// What a game that switched a monitor found before the switch (a line of toLine()), kept on the
// X server itself for a later start of the game, in case the game and its guardian both die
// without putting the display back. It is a property of the root window, which lives exactly as
// long as the display does, beside a selection that the game's connection owns while the game
// runs: the server lets go of that selection the moment the connection ends, however the game
// ended, so a record without an owner is one that no running game will put back.
class SwitchRecord {
public:
    // On a connection that the caller owns; every call is a few requests and their replies.
    SwitchRecord(xcb_connection_t* connection, int screenNumber);

    SwitchRecord(const SwitchRecord&) = delete;
    SwitchRecord& operator=(const SwitchRecord&) = delete;

    // Records the line as this connection's, until release() or the end of the connection.
    void claim(const std::string& line);
    // Removes the record this connection made; its display is back.
    void release();

    // The record of a game that no longer runs, or nothing.
    [[nodiscard]] std::optional<std::string> abandoned() const;
    // Removes the record if it still holds that line, whoever made it.
    void erase(const std::string& line);

private:
    [[nodiscard]] std::optional<std::string> read() const;

    xcb_connection_t* m_connection;
    unsigned int m_root = 0;
    // Names both the property and the selection.
    unsigned int m_atom = 0;
    // The window through which this connection owns the selection, while it does.
    unsigned int m_owner = 0;
};

} // namespace trouvimo::randr
