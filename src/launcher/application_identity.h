#pragma once
// How the application presents itself to the Windows taskbar.
#include <string>

namespace jlaunch {

// Windows: makes `id` the explicit App User Model ID of this process, so the
// taskbar groups and pins the application's windows under it; to be called
// before any window exists. Traces what happened. Linux has no such identity.
void applyAppUserModelId(const std::wstring& id);

}  // namespace jlaunch
