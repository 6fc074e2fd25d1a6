#include "jvmhost/launch_plan.h"

#include "common/text.h"
#include "jvmhost/library_path.h"

namespace jlaunch {

LaunchPlan planLaunch(const LauncherSettings& settings, const std::wstring& jvmLibraryPath, const HostFacts& host) {
    LaunchPlan plan;
    Environment environment = host.environment;
    const auto libraryPath = setupLibraryPathAndEnvironment(settings, jvmLibraryPath, host.executable, environment);
    plan.environment = environment.changes();
    if (libraryPath) {
        plan.vmOptions.push_back(toNarrow(*libraryPath));
    }

    // The options see the environment the application will see.
    AssembledOptions assembled = assembleVmOptions(settings, host.executable, host.memory, environment);
    if (!assembled.hasClassPath) {
        // The VM still starts, and the main class lookup reports what is missing.
        plan.notice = Failure{kMsgClassPathMissing, {}, {}};
        if (!assembled.unmatchedEntries.empty()) {
            plan.notice->cause.emplace_back(kMsgClassPathUnmatched);
            plan.notice->cause.insert(plan.notice->cause.end(), assembled.unmatchedEntries.begin(),
                                      assembled.unmatchedEntries.end());
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
    plan.main.failureCheck = settings.failureCheck;
    plan.main.neverDetach = settings.vmProvider.acceptIbm && settings.vmProvider.preferIbm;
    plan.isService = settings.isService;
    return plan;
}

}  // namespace jlaunch
