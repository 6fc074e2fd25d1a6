#include <signal.h>
#include <linux/close_range.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <cstdio>

#include "common/narrow_argv_posix.h"
#include "launcher/restart.h"

namespace jlaunch {

std::uint32_t startAgain(const RestartPlan& plan) {
    // The same process, so the shell that waits for it gets the last run's
    // code and nothing of the old run stays in memory.
    NarrowArgv command(plan.executable, plan.arguments);
    std::fflush(nullptr);
    // The VM's own files and the single-instance socket end with this run;
    // the VM's signal mask of this thread must not reach the next one.
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    execv(command.program(), command.argv());
    return static_cast<std::uint32_t>(errno);
}

void awaitPreviousRun() {}

}  // namespace jlaunch
