#pragma once

namespace trouvimo {

// Sends what the program prints to the console it was started from, for a report such as
// `--check`'s. A windowed Windows program has no console of its own: started from cmd or
// PowerShell it writes to theirs, in UTF-8, unless its output already goes to a file or a pipe.
// Linux programs always have their caller's terminal: nothing to do there.
void printToTheCallersConsole();

} // namespace trouvimo
