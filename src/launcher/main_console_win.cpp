// The console build, jlaunchc.exe: the same launcher for command-line
// applications, whose messages go to standard error.
#include <windows.h>

#include "common/console_mode.h"
#include "launcher/dll_search_win.h"
#include "launcher/launcher.h"

int wmain(int /*argc*/, wchar_t** /*argv*/) {
    // As the GUI build: no DLL from beside the executable or the working folder.
    jlaunch::restrictDllSearch();
    // Resource strings come in the system's language.
    SetThreadLocale(GetSystemDefaultLCID());
    // A message queue, as the GUI build has, for what talks to the main thread by thread messages.
    DefWindowProcW(nullptr, 0, 0, 0);
    jlaunch::setConsoleMode(true);
    return jlaunch::runLauncher();
}
