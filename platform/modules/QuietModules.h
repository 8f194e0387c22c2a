#pragma once

namespace trouvimo {

// Qt Multimedia reports a missing sound server with messages of its own, which a game that may run
// without one must not print. Each module sets these rules when it is loaded;
// QLoggingCategory::setFilterRules() replaces what was set before, so all set the same rules. Qt
// applies QT_LOGGING_RULES after them: QT_LOGGING_RULES="qt.multimedia*=true" brings the messages
// back.
inline constexpr auto kQuietModules = "qt.multimedia*=false";

} // namespace trouvimo
