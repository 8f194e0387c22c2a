#include "platform/display/x11/randr/SwitchRecord.h"

#include "platform/display/x11/randr/Xcb.h"

#include <string_view>

namespace trouvimo::randr {

namespace {

constexpr std::string_view kName = "_TROUVIMO_DISPLAY_AS_FOUND";
// In 32-bit units, as the protocol counts a property's length: far more than a line of a few
// monitors needs.
constexpr uint32_t kLongestRecord = 4096;

} // namespace

SwitchRecord::SwitchRecord(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection)
{
    if (m_connection == nullptr || xcb_connection_has_error(m_connection) != 0)
        return;
    const xcb_screen_t* screen = screenOf(m_connection, screenNumber);
    const auto atom = replyTo(
        m_connection, xcb_intern_atom_reply,
        xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(kName.size()), kName.data()));
    if (screen == nullptr || !atom)
        return;
    m_root = screen->root;
    m_atom = atom->atom;
}

void SwitchRecord::claim(const std::string& line)
{
    if (m_atom == XCB_NONE)
        return;
    if (m_owner == XCB_NONE) {
        m_owner = xcb_generate_id(m_connection);
        await(m_connection,
              xcb_create_window_checked(m_connection, 0, m_owner, m_root, -1, -1, 1, 1, 0,
                                        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                                        nullptr));
    }
    xcb_set_selection_owner(m_connection, m_owner, m_atom, XCB_CURRENT_TIME);
    await(m_connection,
          xcb_change_property_checked(m_connection, XCB_PROP_MODE_REPLACE, m_root, m_atom,
                                      XCB_ATOM_STRING, 8, static_cast<uint32_t>(line.size()),
                                      line.data()));
}

void SwitchRecord::release()
{
    if (m_owner == XCB_NONE)
        return;
    xcb_delete_property(m_connection, m_root, m_atom);
    // The selection has no owner once its window is gone.
    await(m_connection, xcb_destroy_window_checked(m_connection, m_owner));
    m_owner = XCB_NONE;
}

std::optional<std::string> SwitchRecord::abandoned() const
{
    std::optional<std::string> line = read();
    if (!line)
        return std::nullopt;
    const auto owner = replyTo(m_connection, xcb_get_selection_owner_reply,
                               xcb_get_selection_owner(m_connection, m_atom));
    if (!owner || owner->owner != XCB_NONE)
        return std::nullopt;
    return line;
}

void SwitchRecord::erase(const std::string& line)
{
    if (read() == line)
        await(m_connection, xcb_delete_property_checked(m_connection, m_root, m_atom));
}

std::optional<std::string> SwitchRecord::read() const
{
    if (m_atom == XCB_NONE)
        return std::nullopt;
    const auto property = replyTo(
        m_connection, xcb_get_property_reply,
        xcb_get_property(m_connection, 0, m_root, m_atom, XCB_ATOM_STRING, 0, kLongestRecord));
    if (!property || property->format != 8 || property->type != XCB_ATOM_STRING)
        return std::nullopt;
    return std::string(static_cast<const char*>(xcb_get_property_value(property.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(property.get())));
}

} // namespace trouvimo::randr
