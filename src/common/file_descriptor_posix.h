#pragma once
// Owner of a POSIX file descriptor.
#include <unistd.h>

#include "common/unique_resource.h"

namespace jlaunch {

struct FileDescriptorTraits {
    using Type = int;
    static Type invalid() noexcept { return -1; }
    static void close(Type fd) noexcept { ::close(fd); }
};
using UniqueFileDescriptor = UniqueResource<FileDescriptorTraits>;

}  // namespace jlaunch
