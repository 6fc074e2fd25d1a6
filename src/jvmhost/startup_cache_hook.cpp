#include <utility>

#include "jvmhost/startup_cache_hook.h"

namespace jlaunch {

StartupCachePlan prepareStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                                     const std::wstring& executable, const Environment& environment,
                                     std::vector<std::string>& vmOptions) {
    return planStartupCache(settings, jvmLibraryPath, executable, environment, vmOptions);
}

void completeStartupCacheAtExit(StartupCachePlan plan) {
    finishStartupCacheAtExit(std::move(plan));
}

}  // namespace jlaunch
