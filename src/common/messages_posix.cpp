#include <cstdio>

#include "common/messages.h"

namespace jlaunch {

int showPlatformMessage(WindowHandle /*owner*/, const std::wstring& text, const std::wstring* caption) {
    std::string out;
    if (caption != nullptr && !caption->empty()) {
        out = toNarrow(*caption) + ": ";
    }
    out += toNarrow(text);
    if (out.empty() || out.back() != '\n') {
        out.push_back('\n');
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), stderr) == out.size();
    std::fflush(stderr);
    return written ? 1 : 0;  // 1 is the OK button of a message box
}

}  // namespace jlaunch

namespace jlaunch {

void showPlatformDetail(const std::wstring& detail) {
    showPlatformMessage(nullptr, detail, nullptr);
}

}  // namespace jlaunch
