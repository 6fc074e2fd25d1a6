#include "common/paths.h"

namespace jlaunch {

std::wstring parentPath(std::wstring path, unsigned levels) {
    for (unsigned i = 0; i < levels; ++i) {
        const auto cut = path.rfind(kPathSeparator);
        if (cut == std::wstring::npos) {
            break;
        }
        path.resize(cut);
    }
    return path;
}

bool hasLongPathPrefix(std::wstring_view path) {
    return path.substr(0, 4) == L"\\\\?\\";
}

}  // namespace jlaunch
