#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/narrow_argv_posix.h"
#include "launcher/run_modes.h"
#include "settings/command_line.h"

namespace jlaunch {

std::int32_t startPairedLauncherProcess(const std::wstring& pairProduct, bool waitForExitCode) {
    // The paired launcher gets this process's arguments unchanged.
    NarrowArgv command(pairProduct, parseCommandLine());
    pid_t child = 0;
    if (posix_spawn(&child, command.program(), nullptr, nullptr, command.argv(), environ) != 0) {
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
