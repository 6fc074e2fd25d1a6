#include <windows.h>

#include "common/messages.h"

namespace jlaunch {

int showPlatformMessage(WindowHandle owner, const std::wstring& text, const std::wstring* caption) {
    return MessageBoxW(static_cast<HWND>(owner), text.c_str(), caption != nullptr ? caption->c_str() : nullptr,
                       MB_ICONERROR);
}

}  // namespace jlaunch

namespace jlaunch {

void showPlatformDetail(const std::wstring& /*detail*/) {
    // The system error number of the message already tells it on Windows.
}

}  // namespace jlaunch
