#include <windows.h>

#include <cstdint>

#include "common/system_library_win.h"
#include "common/trace.h"
#include "launcher/application_identity.h"

namespace jlaunch {

void applyAppUserModelId(const std::wstring& id) {
    // Bound on demand from the system folder: a launch without the key never
    // loads shell32, and no copy beside the executable is ever taken.
    using SetIdFunction = HRESULT(WINAPI*)(PCWSTR);
    const auto setId = systemFunction<SetIdFunction>(SystemLibrary::Shell, "SetCurrentProcessExplicitAppUserModelID");
    if (setId == nullptr) {
        trace("App User Model ID ", id, " not set: the system has no SetCurrentProcessExplicitAppUserModelID");
        return;
    }
    const HRESULT result = setId(id.c_str());
    if (FAILED(result)) {
        trace("App User Model ID ", id, " refused by the system, status ", static_cast<std::uint32_t>(result));
        return;
    }
    trace("App User Model ID ", id, " set");
}

}  // namespace jlaunch
