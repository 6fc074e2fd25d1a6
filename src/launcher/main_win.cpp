#include <windows.h>

#include "launcher/dll_search_win.h"
#include "launcher/launcher.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    jlaunch::restrictDllSearch();
    // Resource strings and dialogs come in the system's language.
    SetThreadLocale(GetSystemDefaultLCID());
    // Makes this a GUI thread with a message queue before anything else runs.
    DefWindowProcW(nullptr, 0, 0, 0);
    return jlaunch::runLauncher();
}
