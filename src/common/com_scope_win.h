#pragma once
// COM in a single-threaded apartment for the lifetime of a scope: the shell's
// folder browser and the handlers behind ShellExecute may need it.
#include <objbase.h>

namespace jlaunch {

class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope() {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

}  // namespace jlaunch
