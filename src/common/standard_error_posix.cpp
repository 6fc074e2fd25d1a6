#include <cstdio>
#include <string>

#include "common/standard_error.h"
#include "common/text.h"

namespace jlaunch {

bool writeStandardError(std::wstring_view text) {
    const std::string bytes = toNarrow(text);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stderr) == bytes.size();
    std::fflush(stderr);
    return written;
}

}  // namespace jlaunch
