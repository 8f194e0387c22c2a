#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

namespace trouvimo::testing {

// Takes every message Qt's logging would print, from any thread, while the capture is installed:
// the sound player must stay quiet whatever it meets.
class MessageCapture {
public:
    static void install() { s_previous = qInstallMessageHandler(capture); }
    static void uninstall() { qInstallMessageHandler(s_previous); }

    [[nodiscard]] static QStringList messages()
    {
        const QMutexLocker lock(&s_mutex);
        return s_messages;
    }

private:
    static void capture(QtMsgType /*type*/, const QMessageLogContext& /*context*/,
                        const QString& text)
    {
        const QMutexLocker lock(&s_mutex);
        s_messages.append(text);
    }

    static inline QMutex s_mutex;
    static inline QStringList s_messages;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace trouvimo::testing
