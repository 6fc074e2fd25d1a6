// The console build, jlaunchc.exe: the same launcher for command-line
// applications, whose messages go to standard error.
#include <windows.h>

#include "common/console_mode.h"
#include "launcher/launcher.h"

int wmain(int /*argc*/, wchar_t** /*argv*/) {
    // Resource strings come in the system's language.
    SetThreadLocale(GetSystemDefaultLCID());
    jlaunch::setConsoleMode(true);
    return jlaunch::runLauncher();
}
