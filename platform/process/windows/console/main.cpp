// trouvimo.com: the game's companion for a console. Typed as "trouvimo" in cmd or PowerShell, a
// program named .com is preferred to the .exe beside it; this one runs the windowed game with the
// same arguments on the console's own handles, waits for it and hands its exit status back, so
// that "trouvimo --check" prints its report where it was typed, in UTF-8, before the prompt
// returns.

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

// The command line after the program's own name, as the console gave it.
const wchar_t* argumentsOf(const wchar_t* commandLine)
{
    const wchar_t* at = commandLine;
    if (*at == L'"') {
        at = std::wcschr(at + 1, L'"');
        at = at == nullptr ? commandLine + std::wcslen(commandLine) : at + 1;
    } else {
        while (*at != L'\0' && *at != L' ' && *at != L'\t')
            ++at;
    }
    return at;
}

// The game beside this program: the same name, ending in .exe.
std::wstring gameBeside()
{
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())))
           == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    const std::size_t dot = path.find_last_of(L'.');
    return path.substr(0, dot) + L".exe";
}

} // namespace

int wmain()
{
    const std::wstring game = gameBeside();
    std::wstring commandLine = L"\"" + game + L"\"" + argumentsOf(GetCommandLineW());

    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process {};

    // The report is UTF-8; the console is given back its own code page afterwards.
    const UINT codePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    const BOOL started = CreateProcessW(game.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    DWORD status = 1;
    if (started == FALSE) {
        const std::wstring message = L"trouvimo: " + game + L" could not be started\n";
        DWORD written = 0;
        WriteConsoleW(startup.hStdError, message.c_str(), static_cast<DWORD>(message.size()),
                      &written, nullptr);
    } else {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (codePage != 0)
        SetConsoleOutputCP(codePage);
    return static_cast<int>(status);
}
