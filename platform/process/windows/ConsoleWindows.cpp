#include "platform/process/Console.h"

#include <cstdio>

#include <windows.h>

namespace trouvimo {

void printToTheCallersConsole()
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE
        && GetFileType(output) != FILE_TYPE_UNKNOWN)
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS) == FALSE)
        return;
    SetConsoleOutputCP(CP_UTF8);
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

} // namespace trouvimo
