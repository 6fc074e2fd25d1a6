#pragma once
// Where a launch meets the start-up cache.
#include <string>
#include <vector>

#include "common/environment.h"
#include "jvmhost/startup_cache.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// The cache of this launch, its options added to `vmOptions`.
StartupCachePlan prepareStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                                     const std::wstring& executable, const Environment& environment,
                                     std::vector<std::string>& vmOptions);

// Completes the plan when the process exits.
void completeStartupCacheAtExit(StartupCachePlan plan);

}  // namespace jlaunch
