#pragma once

namespace trouvimo {

// When the connection to the X server breaks, Qt reports it and ends the process with exit(1).
// exit() runs the static destructors, Qt Multimedia's among them, while the sound player's thread
// may still be inside what they destroy, so the game would crash on its way out instead of ending.
// Once this is installed, the report is still written, then the process ends at once with the
// same status: nothing is left to restore on a display that is gone.
//
// Call it after the QApplication is made (it keeps Qt's own message handler in front of it).
void endAtOnceWhenTheDisplayConnectionBreaks();

} // namespace trouvimo
