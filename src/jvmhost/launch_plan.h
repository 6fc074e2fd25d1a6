#pragma once
// Everything a launch does with the chosen VM, computed up front from the
// settings, the chosen VM library and the facts of the host.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/environment.h"
#include "common/failure.h"
#include "jvmhost/main_invocation.h"
#include "jvmhost/memory_options.h"
#include "jvmhost/startup_cache_hook.h"
#include "jvmhost/vm_options.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

struct HostFacts {
    std::wstring executable;              // full path of the running launcher
    std::vector<std::wstring> arguments;  // from the command line, for the main method
    MemoryStatus memory;
    Environment environment;
};

struct LaunchPlan {
    // Set in the process before the VM library is loaded.
    std::vector<EnvironmentVariable> environment;
    // In order: the library path, the class path, the VM parameters.
    std::vector<std::string> vmOptions;
    // The Java thread's stack; 0 asks the VM for its default.
    std::uint64_t javaThreadStackSize = 0;
    Redirection output;
    Redirection error;
    MainInvocation main;
    // A service's VM is destroyed on the Java thread once main has returned.
    bool isService = false;
    // Shown once the VM library has loaded; the launch goes on (no class path).
    std::optional<Failure> notice;
    // Finished once the application has ended.
    StartupCachePlan startupCache;
};

// The helper's mode and what it is given: "Main Module" wins over "Main
// Jar", which wins over "Main Class" (a module named alone runs the main
// class its descriptor names, as "java -m" does).
void chooseLaunchMode(const LauncherSettings& settings, const std::wstring& mainJar, MainInvocation& main);

// The folder %EXEDIR% names: the executable's, without a separator at the
// end unless it is a root.
std::wstring executableFolder(const std::wstring& executable);

// Every %VAR% the plan expands may also be %EXEDIR% or %EXEFILE% (the
// executable's full path); those win over variables of the same names.
LaunchPlan planLaunch(const LauncherSettings& settings, const std::wstring& jvmLibraryPath, const HostFacts& host);

}  // namespace jlaunch
