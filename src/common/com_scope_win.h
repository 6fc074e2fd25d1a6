#pragma once
// COM in a single-threaded apartment for the lifetime of a scope: the shell's
// folder browser and the handlers behind ShellExecute may need it.
#include <objbase.h>

#include "common/system_library_win.h"

namespace jlaunch {

class ComScope {
public:
    ComScope() {
        const auto initialize = systemFunction<decltype(&CoInitializeEx)>(SystemLibrary::Com, "CoInitializeEx");
        initialized_ =
            initialize != nullptr && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    ~ComScope() {
        if (initialized_) {
            systemFunction<decltype(&CoUninitialize)>(SystemLibrary::Com, "CoUninitialize")();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_ = false;
};

}  // namespace jlaunch
