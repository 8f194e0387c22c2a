#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

namespace trouvimo::randr {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

// The reply to a request, or nullptr when the server refused it or the connection broke. The
// error is taken here: left to the connection, it would reach whoever reads its events (Qt,
// which prints it).
template <typename Fetch, typename Cookie>
auto replyTo(xcb_connection_t* connection, Fetch fetch, Cookie cookie)
{
    using Reply = std::remove_pointer_t<
        std::invoke_result_t<Fetch, xcb_connection_t*, Cookie, xcb_generic_error_t**>>;
    xcb_generic_error_t* error = nullptr;
    ReplyPtr<Reply> reply(fetch(connection, cookie, &error));
    std::free(error);
    return reply;
}

// Waits until the server has carried out a request without a reply (made with its _checked
// form), and drops its error if it refused it.
inline void await(xcb_connection_t* connection, xcb_void_cookie_t cookie)
{
    std::free(xcb_request_check(connection, cookie));
}

// Holds the server for this connection alone while it lives: no other client sees a layout
// half changed, nor changes it between a reading and the requests made from it. Grabs do not
// nest: a grab held here must not be taken again inside.
class ServerGrab {
public:
    explicit ServerGrab(xcb_connection_t* connection)
        : m_connection(connection)
    {
        await(m_connection, xcb_grab_server_checked(m_connection));
    }
    ~ServerGrab() { await(m_connection, xcb_ungrab_server_checked(m_connection)); }

    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    xcb_connection_t* m_connection;
};

// The screen of that number among the connection's, or nullptr.
inline const xcb_screen_t* screenOf(xcb_connection_t* connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens)) {
        if (i == screenNumber)
            return screens.data;
    }
    return nullptr;
}

} // namespace trouvimo::randr
