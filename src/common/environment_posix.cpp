#include <stdlib.h>

#include "common/environment.h"
#include "common/text.h"

namespace jlaunch {

const wchar_t kPathListSeparator = L':';
const wchar_t* const kSearchPathVariable = L"PATH";

bool sameVariableName(std::wstring_view a, std::wstring_view b) {
    return a == b;
}

void setEnvironmentVariable(const std::wstring& name, const std::wstring& value) {
    setenv(toNarrow(name).c_str(), toNarrow(value).c_str(), 1);
}

void removeEnvironmentVariable(const std::wstring& name) {
    unsetenv(toNarrow(name).c_str());
}

}  // namespace jlaunch
