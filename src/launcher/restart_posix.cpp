#include <signal.h>
#include <linux/close_range.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "launcher/restart.h"

namespace jlaunch {

bool startAgain(const RestartPlan& plan) {
    // The same process, so the shell that waits for it gets the last run's
    // code and nothing of the old run stays in memory.
    std::vector<std::string> arguments{toNarrow(plan.executable)};
    for (const std::wstring& argument : plan.arguments) {
        arguments.push_back(toNarrow(argument));
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::fflush(nullptr);
    // The VM's own files and the single-instance socket end with this run;
    // the VM's signal mask of this thread must not reach the next one.
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    execv(arguments.front().c_str(), argv.data());
    return false;
}

void awaitPreviousRun() {}

}  // namespace jlaunch
