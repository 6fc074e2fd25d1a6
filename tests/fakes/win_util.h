#pragma once
// Small Win32 helpers of the fake VM.
#include <windows.h>

#include <optional>
#include <string>

namespace fake_jvm {

// The variable's value; nothing when it is not set.
inline std::optional<std::wstring> environmentVariable(const wchar_t* name) {
    std::wstring value(256, L'\0');
    while (true) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::wstring();
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

// Waits until the file exists, a minute at most; false when it never came.
// A test holds the fake VM with it while it looks at the running launcher.
inline bool waitForFile(const std::u16string& path) {
    const std::wstring name(path.begin(), path.end());
    for (int waited = 0; waited < 60000; waited += 20) {
        if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(20);
    }
    return false;
}

}  // namespace fake_jvm
