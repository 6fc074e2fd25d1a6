#include "jvmhost/launch_plan.h"

#include <algorithm>

#include "common/paths.h"
#include "common/text.h"
#include "jvmhost/library_path.h"

namespace jlaunch {

void chooseLaunchMode(const LauncherSettings& settings, const std::wstring& mainJar, MainInvocation& main) {
    if (!settings.mainModule.empty()) {
        main.mode = LaunchMode::Module;
        main.what = settings.mainModule;
    } else if (!mainJar.empty()) {
        main.mode = LaunchMode::Jar;
        main.what = mainJar;
    } else {
        main.mode = LaunchMode::Class;
        main.what = settings.mainClassName;
        std::replace(main.what.begin(), main.what.end(), L'/', L'.');
    }
}

std::wstring executableFolder(const std::wstring& executable) {
    std::wstring folder = parentPath(executable, 1);
    // A root keeps its separator: "C:" alone would mean the drive's current folder.
    if (folder.empty() || folder.back() == L':') {
        folder.push_back(kPathSeparator);
    }
    return folder;
}

LaunchPlan planLaunch(const LauncherSettings& settings, const std::wstring& jvmLibraryPath, const HostFacts& host) {
    LaunchPlan plan;
    Environment environment = host.environment;
    // What packagers write for the application's own place, e.g. -Dapp.home="%EXEDIR%".
    environment.setLaunchValue(L"EXEDIR", executableFolder(host.executable));
    environment.setLaunchValue(L"EXEFILE", host.executable);
    const auto libraryPath = setupLibraryPathAndEnvironment(settings, jvmLibraryPath, host.executable, environment);
    plan.environment = environment.changes();
    if (libraryPath) {
        plan.vmOptions.push_back(toNarrow(*libraryPath));
    }

    // The options see the environment the application will see.
    AssembledOptions assembled = assembleVmOptions(settings, host.executable, host.memory, environment);
    if (!assembled.hasClassPath && settings.mainModule.empty()) {
        // The VM still starts, and the main class lookup reports what is missing.
        // A class path that was written but matched nothing is not missing:
        // then the entries that matched nothing are what the packager needs.
        if (assembled.unmatchedEntries.empty()) {
            plan.notice = Failure{kMsgClassPathMissing, {}, {}};
        } else {
            plan.notice = Failure{kMsgClassPathUnmatched, {}, {}};
            plan.notice->cause.assign(assembled.unmatchedEntries.begin(), assembled.unmatchedEntries.end());
        }
    }
    for (const std::wstring& option : assembled.options) {
        plan.vmOptions.push_back(toNarrow(option));
    }
    if (assembled.hasClassPath) {
        plan.startupCache = prepareStartupCache(settings, jvmLibraryPath, host.executable, environment, plan.vmOptions);
    }
    plan.javaThreadStackSize = assembled.javaThreadStackSize;
    plan.output = std::move(assembled.output);
    plan.error = std::move(assembled.error);

    plan.main.mainClassName = settings.mainClassName;
    plan.main.arguments = host.arguments;
    plan.main.arguments.insert(plan.main.arguments.end(), assembled.extraArguments.begin(),
                               assembled.extraArguments.end());
    chooseLaunchMode(settings, assembled.mainJar, plan.main);

    // What "java" tells the VM, for jps, jcmd and crash logs: the class, jar or
    // module and the arguments; after the VM parameters, as "java" does.
    std::wstring command = L"-Dsun.java.command=";
    command.append(plan.main.what);
    for (const std::wstring& argument : plan.main.arguments) {
        command.push_back(L' ');
        command.append(argument);
    }
    plan.vmOptions.push_back(toNarrow(command));
    plan.vmOptions.push_back("-Dsun.java.launcher=SUN_STANDARD");
    plan.main.failureCheck = settings.failureCheck;
    plan.main.neverDetach = settings.vmProvider.acceptIbm && settings.vmProvider.preferIbm;
    plan.isService = settings.isService;
    return plan;
}

}  // namespace jlaunch
