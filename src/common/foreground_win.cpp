#include <windows.h>

#include "common/foreground.h"

namespace jlaunch {

namespace {

BOOL CALLBACK takeFirstOwnWindow(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

bool bringApplicationToFront() {
    HWND window = nullptr;
    EnumWindows(&takeFirstOwnWindow, reinterpret_cast<LPARAM>(&window));
    if (window == nullptr) {
        return false;
    }
    if (IsIconic(window)) {
        ShowWindowAsync(window, SW_RESTORE);
    }
    return SetForegroundWindow(window) != FALSE;
}

}  // namespace jlaunch
