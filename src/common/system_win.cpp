#include <windows.h>

#include "common/handles_win.h"
#include "common/paths.h"
#include "common/system.h"
#include "common/text.h"

namespace jlaunch {

std::optional<std::wstring> executablePath(std::uint32_t& error) {
    // Grows past MAX_PATH so that a launcher deep in a long path still finds itself.
    std::wstring buffer(kMaxPath, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            error = GetLastError();
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= kMaxLongPath) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring systemErrorText(std::uint32_t error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const UniqueLocalMemory owner(text);
    std::wstring words(text != nullptr ? text : L"", length);
    while (!words.empty() &&
           (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ' || words.back() == L'.')) {
        words.pop_back();
    }
    return words.empty() ? L"error " + decimalText(error) : words;
}

std::optional<std::wstring> environmentVariable(const std::wstring& name) {
    SetLastError(ERROR_SUCCESS);
    DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::wstring();
    }
    std::wstring value(size, L'\0');
    while (true) {
        const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
        if (length < size) {
            value.resize(length);
            return value;
        }
        size = length;  // the variable grew between the two calls
        value.resize(size);
    }
}

std::wstring userSettingsRoot() {
    // The classic buffer holds 259 characters; a longer value counts as not set.
    const auto appData = environmentVariable(L"APPDATA");
    if (!appData || appData->size() >= kMaxPath) {
        return {};
    }
    return *appData;
}

void createFolder(const std::wstring& path) {
    CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace jlaunch

namespace jlaunch {

void setCurrentFolder(const std::wstring& path) {
    SetCurrentDirectoryW(path.c_str());
}

std::uint64_t monotonicMilliseconds() {
    return GetTickCount64();
}

}  // namespace jlaunch
