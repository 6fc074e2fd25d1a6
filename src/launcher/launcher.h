#pragma once
// The one object of the process: it orchestrates the launch and owns what
// lives as long as the process (the hosted VM, the splash screen).
// SINGLE_INSTANCE.md beside this file draws how single-instance mode runs
// through its steps and threads.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "instance/single_instance.h"
#include "jvmhost/jvm_session.h"
#include "jvmhost/launch_plan.h"
#include "jvmhost/vm_output.h"
#include "jvmsearch/jvm_search.h"
#include "settings/launcher_settings.h"
#include "splash/splash.h"

namespace jlaunch {

class Launcher {
public:
    Launcher() = default;
    // The teardown: the splash window goes first; the VM once its non-daemon
    // threads have ended; single-instance mode stops; then the runtime's
    // splash library is told to close.
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Initialises and runs; shows a failure once and answers the exit code.
    std::int32_t launch();

private:
    Result<void> initialize();
    Result<std::int32_t> run();
    Result<std::int32_t> host(const LaunchPlan& plan);
    HostFacts hostFacts() const;
    void report(const Failure& failure) const;
    // The VM ends the process before main: says why, then ends with -1.
    [[noreturn]] void reportEarlyVmEnd(VmStage stage, const std::wstring& what, const std::wstring& said) const;

    std::wstring executable_;
    int restartsSoFar_ = 0;
    std::vector<std::wstring> javaArguments_;
    LauncherSettings settings_;
    SingleInstance singleInstance_;
    JvmChoice choice_;
    std::optional<JvmSession> session_;
    Splash splash_;
};

// The entry point's steps after the platform set-up: launch, tear down, and
// an internal failure shown rather than ending the process abnormally.
std::int32_t runLauncher();

}  // namespace jlaunch
