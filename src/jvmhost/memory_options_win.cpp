#include <windows.h>

#include "jvmhost/memory_options.h"

namespace jlaunch {

MemoryStatus memoryStatus() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) {
        return {};
    }
    return {status.ullTotalPhys, status.ullAvailVirtual};
}

}  // namespace jlaunch
