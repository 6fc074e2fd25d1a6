#include <stdlib.h>

#include "common/environment.h"
#include "common/system.h"
#include "common/text.h"

namespace jlaunch {

const wchar_t kPathListSeparator = L':';
const wchar_t* const kSearchPathVariable = L"PATH";

// The same syntax as on Windows, so one settings file serves both.
void expandEnvironment(std::wstring& text) {
    std::wstring out;
    std::size_t position = 0;
    while (position < text.size()) {
        const auto open = text.find(L'%', position);
        const auto close = open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            break;
        }
        out.append(text, position, open - position);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : environmentVariable(name);
        // An unknown reference stays as written.
        out += value ? *value : L"%" + name + L"%";
        position = close + 1;
    }
    out.append(text, position, std::wstring::npos);
    text = std::move(out);
}

void setEnvironmentVariable(const std::wstring& name, const std::wstring& value) {
    setenv(toNarrow(name).c_str(), toNarrow(value).c_str(), 1);
}

}  // namespace jlaunch
