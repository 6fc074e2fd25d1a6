#include <windows.h>

#include "launcher/launcher.h"

namespace {

// From here on, DLLs are looked for in the system folder and in the folders
// the launcher adds itself (the Java runtime's), never beside the
// executable or in the working folder, where anyone may have put one.
void restrictDllSearch() {
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

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    restrictDllSearch();
    // Resource strings and dialogs come in the system's language.
    SetThreadLocale(GetSystemDefaultLCID());
    // Makes this a GUI thread with a message queue before anything else runs.
    DefWindowProcW(nullptr, 0, 0, 0);
    return jlaunch::runLauncher();
}
