#include <sys/resource.h>
#include <unistd.h>

#include "jvmhost/memory_options.h"

namespace jlaunch {

MemoryStatus memoryStatus() {
    MemoryStatus status;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        status.totalPhysical = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    }
    // The address space a process may use: its limit, or the 47-bit user
    // space of x86-64 when there is none.
    rlimit limit{};
    status.availableVirtual = getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                                  ? static_cast<std::uint64_t>(limit.rlim_cur)
                                  : (std::uint64_t{1} << 47);
    return status;
}

}  // namespace jlaunch
