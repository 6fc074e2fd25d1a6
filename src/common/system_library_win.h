#pragma once
// Functions of the system DLLs that only a dialog needs (the common
// controls, the shell, COM), loaded the first time one is called: importing
// them would load them, and what they load, into every launch.
#include <windows.h>

namespace jlaunch {

enum class SystemLibrary { CommonControls, Shell, Com };

// The function's address, its library loaded on first use and kept for the
// process (its windows and subclasses may outlive the caller); null when
// the library or the function is missing.
FARPROC systemLibraryFunction(SystemLibrary library, const char* name);

// The same, typed: systemFunction<decltype(&InitCommonControlsEx)>(...).
template <typename Function>
Function systemFunction(SystemLibrary library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(systemLibraryFunction(library, name)));
}

// CoTaskMemFree through the loaded COM library, for memory the shell hands out.
void freeTaskMemory(void* memory) noexcept;

}  // namespace jlaunch
