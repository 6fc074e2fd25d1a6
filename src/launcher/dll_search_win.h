#pragma once
// Both Windows entry points restrict where DLLs are looked for before anything
// else runs.
#include <windows.h>

namespace jlaunch {

// From here on, DLLs are looked for in the system folder and in the folders
// the launcher adds itself (the Java runtime's), never beside the
// executable or in the working folder, where anyone may have put one.
inline void restrictDllSearch() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    // Windows 7 has it only with an update, so it is looked up.
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault != nullptr) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    }
    // Without it, at least the working folder leaves the search.
    SetDllDirectoryW(L"");
}

}  // namespace jlaunch
