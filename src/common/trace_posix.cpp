#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/text.h"

namespace jlaunch {

// The trace holds VM options, which may hold secrets: a new file is the
// user's alone, a link is never followed, and a FIFO or device is refused
// without waiting for a reader.
std::FILE* openTraceFile(const std::wstring& path) {
    const int file = open(toNarrow(path).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                          S_IRUSR | S_IWUSR);
    if (file < 0) {
        return nullptr;
    }
    struct stat info {};
    const int flags = fcntl(file, F_GETFL);
    if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        fcntl(file, F_SETFL, flags & ~O_NONBLOCK) != 0 || ftruncate(file, 0) != 0) {
        close(file);
        return nullptr;
    }
    std::FILE* stream = fdopen(file, "w");  // NOLINT(cppcoreguidelines-owning-memory)
    if (stream == nullptr) {
        close(file);
    }
    return stream;
}

}  // namespace jlaunch
