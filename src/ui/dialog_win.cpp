#include "ui/dialog_win.h"

#include "common/resource_language_win.h"
#include "common/system_library_win.h"

#include <commctrl.h>

#include <algorithm>

namespace jlaunch {

const DLGTEMPLATE* findDialogTemplate(HMODULE module, unsigned id) {
    if (id == 0 || id > 0xFFFF) {
        return nullptr;
    }
    const auto name = MAKEINTRESOURCEW(static_cast<WORD>(id));
    for (const LANGID language : resourceLanguageOrder()) {
        if (HRSRC info = FindResourceExW(module, MAKEINTRESOURCEW(5), name, language)) {
            if (const void* data = LockResource(LoadResource(module, info))) {
                return static_cast<const DLGTEMPLATE*>(data);
            }
        }
    }
    return nullptr;
}

INT_PTR showModalDialog(unsigned id, DLGPROC procedure, LPARAM parameter) {
    HMODULE module = GetModuleHandleW(nullptr);
    const DLGTEMPLATE* dialogTemplate = findDialogTemplate(module, id);
    if (dialogTemplate == nullptr) {
        return -1;
    }
    // Loads the common controls library, whose themed classes the manifest asks for.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    if (const auto initialize =
            systemFunction<decltype(&InitCommonControlsEx)>(SystemLibrary::CommonControls, "InitCommonControlsEx")) {
        initialize(&classes);
    }
    return DialogBoxIndirectParamW(module, dialogTemplate, GetActiveWindow(), procedure, parameter);
}

void centreDialog(HWND dialog) {
    RECT box{};
    GetWindowRect(dialog, &box);
    HWND owner = GetWindow(dialog, GW_OWNER);
    const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    RECT area = work;
    if (overOwner) {
        GetWindowRect(owner, &area);
    }
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    LONG left = area.left + ((area.right - area.left) - width) / 2;
    LONG top = area.top + ((area.bottom - area.top) - height) / 2;
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace jlaunch
