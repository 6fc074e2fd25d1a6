#include <cstdio>
#include <string>

#include "common/text.h"

namespace jlaunch {

std::FILE* openTraceFile(const std::wstring& path) {
    return std::fopen(toNarrow(path).c_str(), "w");  // NOLINT(cppcoreguidelines-owning-memory)
}

}  // namespace jlaunch
