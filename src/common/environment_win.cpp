#include <windows.h>

#include "common/environment.h"
#include "common/text.h"

namespace jlaunch {

const wchar_t kPathListSeparator = L';';
const wchar_t* const kSearchPathVariable = L"Path";

bool sameVariableName(std::wstring_view a, std::wstring_view b) {
    return equalsIgnoringCase(a, b);
}

void setEnvironmentVariable(const std::wstring& name, const std::wstring& value) {
    SetEnvironmentVariableW(name.c_str(), value.c_str());
}

void removeEnvironmentVariable(const std::wstring& name) {
    SetEnvironmentVariableW(name.c_str(), nullptr);
}

}  // namespace jlaunch
