#include "platform/display/DisplayConnection.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

#include <unistd.h>

namespace trouvimo {

namespace {

// A message handler is a plain function, so the handler it stands in front of has to live at
// file scope; it is written once, before any thread of the game logs anything.
QtMessageHandler previousHandler = nullptr;

// Qt's xcb platform plugin writes this just before it calls exit(1).
bool reportsABrokenConnection(const QString& message)
{
    return message.startsWith(QLatin1String("The X11 connection broke"));
}

void forwardAndEndOnBrokenConnection(QtMsgType type, const QMessageLogContext& context,
                                     const QString& message)
{
    if (previousHandler)
        previousHandler(type, context, message);
    if (reportsABrokenConnection(message)) {
        // The standard streams alone, as the game's own exit does: flushing every stream would
        // wait for each one's lock, and the speech server's client holds the lock of its socket's
        // stream for as long as it waits for the server, which outlives the display.
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(1);
    }
}

} // namespace

void endAtOnceWhenTheDisplayConnectionBreaks()
{
    previousHandler = qInstallMessageHandler(forwardAndEndOnBrokenConnection);
}

} // namespace trouvimo
