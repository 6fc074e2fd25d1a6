#pragma once
// RAII owners of the POSIX descriptors, folders and allocations the launcher
// holds.
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>

#include "common/unique_resource.h"

namespace jlaunch {

inline int invalidFileDescriptor() noexcept {
    return -1;
}
inline void closeFileDescriptor(int fd) noexcept {
    ::close(fd);
}
// For what the C library allocates (realpath's result).
inline void freeMemory(char* memory) noexcept {
    std::free(memory);  // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
}

using UniqueFileDescriptor = UniqueResource<ClosedBy<int, &closeFileDescriptor, &invalidFileDescriptor>>;
using UniqueDirectory = UniqueResource<ClosedBy<DIR*, &closedir>>;
using UniqueMallocText = UniqueResource<ClosedBy<char*, &freeMemory>>;

}  // namespace jlaunch
