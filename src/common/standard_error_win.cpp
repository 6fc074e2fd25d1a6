#include <windows.h>

#include <string>

#include "common/standard_error.h"

namespace jlaunch {

bool writeStandardError(std::wstring_view text) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    DWORD mode = 0;
    const auto size = static_cast<int>(text.size());
    if (GetConsoleMode(error, &mode) != FALSE) {
        return WriteConsoleW(error, text.data(), static_cast<DWORD>(size), &written, nullptr) != FALSE;
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return text.empty();
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}

}  // namespace jlaunch
