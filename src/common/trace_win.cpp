#include <cstdio>
#include <string>

namespace jlaunch {

std::FILE* openTraceFile(const std::wstring& path) {
    // Text mode: lines end as Windows editors expect.
    return _wfopen(path.c_str(), L"w");  // NOLINT(cppcoreguidelines-owning-memory)
}

}  // namespace jlaunch
