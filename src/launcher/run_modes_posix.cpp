#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/text.h"
#include "launcher/run_modes.h"
#include "settings/command_line.h"

namespace jlaunch {

std::int32_t startPairedLauncherProcess(const std::wstring& pairProduct, bool waitForExitCode) {
    // The paired launcher gets this process's arguments unchanged.
    std::vector<std::string> arguments{toNarrow(pairProduct)};
    for (const std::wstring& argument : parseCommandLine()) {
        arguments.push_back(toNarrow(argument));
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, arguments.front().c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        return 0;
    }
    if (!waitForExitCode) {
        return 0;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return 0;
        }
    }
    return WIFEXITED(status) ? static_cast<std::int8_t>(WEXITSTATUS(status)) : 0;
}

}  // namespace jlaunch
