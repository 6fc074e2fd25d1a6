#include <windows.h>

#include "common/split.h"
#include "common/text.h"
#include "settings/command_line.h"

namespace jlaunch {

std::vector<std::wstring> parseCommandLine() {
    const wchar_t* line = GetCommandLineW();
    std::vector<std::wstring> arguments = splitArguments(trimWhiteSpace(line != nullptr ? line : L""));
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    return arguments;
}

}  // namespace jlaunch
