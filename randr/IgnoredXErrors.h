#pragma once

#include <X11/Xlib.h>

namespace trouvimo::randr {

// Xlib's default error handler ends the process; a refused request must only leave the display
// as it was. Installs a handler that ignores errors for as long as it lives, then puts the
// previous one back.
class IgnoredXErrors {
public:
    IgnoredXErrors()
        : m_previous(XSetErrorHandler(&IgnoredXErrors::ignore))
    {
    }
    ~IgnoredXErrors() { XSetErrorHandler(m_previous); }
    IgnoredXErrors(const IgnoredXErrors&) = delete;
    IgnoredXErrors& operator=(const IgnoredXErrors&) = delete;

private:
    static int ignore(::Display* /*connection*/, XErrorEvent* /*event*/) { return 0; }

    XErrorHandler m_previous;
};

} // namespace trouvimo::randr
