#include "common/text.h"
#include "settings/command_line.h"
#include "settings/command_line_posix.h"

namespace jlaunch {

namespace {

std::vector<std::wstring>& processArguments() {
    static std::vector<std::wstring> arguments;
    return arguments;
}

}  // namespace

// Linux hands the arguments over already split; they reach Java unchanged.
void setProcessArguments(int argc, char** argv) {
    auto& arguments = processArguments();
    arguments.clear();
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(toWide(argv[i]));
    }
}

std::vector<std::wstring> parseCommandLine() {
    return processArguments();
}

}  // namespace jlaunch
