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

}  // namespace fake_jvm
