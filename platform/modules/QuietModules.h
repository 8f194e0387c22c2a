#pragma once

namespace trouvimo {

// Qt Multimedia and Qt's speech module report a missing sound or speech server with messages of
// their own, which a game that may run without either must not print. Each module sets these rules
// when it is loaded; QLoggingCategory::setFilterRules() replaces what was set before, so both set
// the same rules. Qt applies QT_LOGGING_RULES after them: QT_LOGGING_RULES="qt.multimedia*=true"
// or "qt.speech*=true" brings the messages back.
inline constexpr auto kQuietModules = "qt.multimedia*=false\nqt.speech*=false";

} // namespace trouvimo
