#include "common/trace.h"
#include "jvmhost/startup_cache_hook.h"

namespace jlaunch {

StartupCachePlan prepareStartupCache(const LauncherSettings& settings, const std::wstring& /*jvmLibraryPath*/,
                                     const std::wstring& /*executable*/, const Environment& /*environment*/,
                                     std::vector<std::string>& /*vmOptions*/) {
    if (settings.startupCache) {
        trace("startup cache: not in the Windows launcher yet; the launch goes on without it");
    }
    return {};
}

void completeStartupCacheAtExit(StartupCachePlan /*plan*/) {}

}  // namespace jlaunch
