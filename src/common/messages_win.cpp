#include <windows.h>

#include "common/console_mode.h"
#include "common/messages.h"

namespace jlaunch {

namespace {

// The console build's message: to the console as it is, or into a pipe or
// file in the console's code page, as console programs write.
int writeToStandardError(const std::wstring& text) {
    std::wstring line = text;
    if (line.empty() || line.back() != L'\n') {
        line.push_back(L'\n');
    }
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode) != FALSE) {
        return WriteConsoleW(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE ? 1 : 0;
    }
    const UINT codePage = GetConsoleOutputCP() != 0 ? GetConsoleOutputCP() : CP_ACP;
    const int size = static_cast<int>(line.size());
    const int length = WideCharToMultiByte(codePage, 0, line.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return 0;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, line.data(), size, bytes.data(), length, nullptr, nullptr);
    return WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE ? 1 : 0;
}

}  // namespace

int showPlatformMessage(WindowHandle owner, const std::wstring& text, const std::wstring* caption) {
    if (consoleMode()) {
        return writeToStandardError(caption != nullptr && !caption->empty() ? *caption + L": " + text : text);
    }
    return MessageBoxW(static_cast<HWND>(owner), text.c_str(), caption != nullptr ? caption->c_str() : nullptr,
                       MB_ICONERROR);
}

}  // namespace jlaunch

namespace jlaunch {

void showPlatformDetail(const std::wstring& /*detail*/) {
    // The system error number of the message already tells it on Windows.
}

}  // namespace jlaunch
