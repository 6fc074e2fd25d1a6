// %VAR% expansion over variables the input defines ("name=value" lines
// before a blank line, the text to expand after it).
#include <map>

#include "common/environment.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::wstring input = toWide(fuzz::asBytes(data, size));
    const auto split = input.find(L"\n\n");
    const std::wstring definitions = input.substr(0, split);
    const std::wstring text = split == std::wstring::npos ? input : input.substr(split + 2);
    std::map<std::wstring, std::wstring> variables;
    for (std::size_t start = 0; start < definitions.size();) {
        const auto end = std::min(definitions.find(L'\n', start), definitions.size());
        const std::wstring line = definitions.substr(start, end - start);
        const auto equals = line.find(L'=');
        if (equals != std::wstring::npos) {
            variables[line.substr(0, equals)] = line.substr(equals + 1);
        }
        start = end + 1;
    }
    Environment environment([&variables](const std::wstring& name) -> std::optional<std::wstring> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    });
    environment.set(L"ADDED", L"%ADDED%");
    const std::wstring expanded = environment.expand(text);
    if (text.find(L'%') == std::wstring::npos) {
        fuzz::check(expanded == text);
    }
    fuzz::check(environment.expand(L"%ADDED%") == L"%ADDED%");  // values are never expanded again
    return 0;
}
