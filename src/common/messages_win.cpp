#include <windows.h>

#include "common/console_mode.h"
#include "common/messages.h"
#include "common/standard_error.h"

namespace jlaunch {

namespace {

// The console build's message, on a line of its own.
int writeToStandardError(const std::wstring& text) {
    std::wstring line = text;
    if (line.empty() || line.back() != L'\n') {
        line.push_back(L'\n');
    }
    return writeStandardError(line) ? 1 : 0;
}

}  // namespace

int showPlatformMessage(WindowHandle owner, const std::wstring& text, const std::wstring* caption) {
    if (consoleMode()) {
        return writeToStandardError(caption != nullptr && !caption->empty() ? *caption + L": " + text : text);
    }
    const std::wstring& title = caption != nullptr ? *caption : messageTitle();
    return MessageBoxW(static_cast<HWND>(owner), text.c_str(), title.empty() ? nullptr : title.c_str(), MB_ICONERROR);
}

}  // namespace jlaunch

namespace jlaunch {

void showPlatformDetail(const std::wstring& /*detail*/) {
    // The system error number of the message already tells it on Windows.
}

}  // namespace jlaunch
