#pragma once

// The access list of the computer's own folder (the class's words, the settings), in the
// security descriptors' string form: protected from the one the common application data passes
// down, which lets every user add files; the system and the administrators have full control,
// users read and run (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), for the folder and all it holds.
namespace trouvimo {

inline constexpr wchar_t kComputerFolderAccess[] =
    L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

} // namespace trouvimo
