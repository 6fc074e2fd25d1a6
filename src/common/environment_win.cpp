#include <windows.h>

#include "common/environment.h"

namespace jlaunch {

const wchar_t kPathListSeparator = L';';
const wchar_t* const kSearchPathVariable = L"Path";

void expandEnvironment(std::wstring& text) {
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0) {
        return;
    }
    std::wstring expanded(size, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
    if (written == 0 || written > size) {
        return;
    }
    expanded.resize(wcsnlen(expanded.c_str(), written));
    text = std::move(expanded);
}

void setEnvironmentVariable(const std::wstring& name, const std::wstring& value) {
    SetEnvironmentVariableW(name.c_str(), value.c_str());
}

}  // namespace jlaunch
