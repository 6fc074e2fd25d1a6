#include "jvmsearch/installed_java.h"

#include "common/paths.h"
#include "jvmsearch/java_home.h"

namespace jlaunch {

std::vector<JvmCandidate> collectCandidates(InstalledJavaSource& source, const LauncherSettings& settings) {
    std::vector<JvmCandidate> candidates;
    for (const VendorKey& key : vendorKeys()) {
        if (!shouldReadKey(key, settings.jvmSource, settings.vmProvider)) {
            continue;
        }
        const std::vector<std::wstring> names = source.versionNames(key);
        for (std::size_t index = 0; index < names.size(); ++index) {
            const std::wstring& name = names[index];
            JvmCandidate candidate;
            // A name without digits still counts, as version 0.0.0.0.
            parseJavaVersion(name, kVersionFillerLow, candidate.version);
            if (!isVersionInRange(candidate.version, settings.minimumVersion, settings.maximumVersion)) {
                continue;
            }
            const auto home = source.javaHome(key, index, name);
            if (!home || home->empty()) {
                continue;
            }
            candidate.home = withTrailingSeparator(*home);
            if (key.homeInJreFolder) {
                candidate.home += L"jre";
                candidate.home.push_back(kPathSeparator);
            }
            const JvmType probeType = key.favorServerAsDefault && settings.jvmType == JvmType::FavorServer
                                          ? JvmType::Default
                                          : settings.jvmType;
            const JvmLibrary library = findJvmLibrary(candidate.home, probeType);
            if (library.path.empty()) {
                continue;
            }
            candidate.isServerVm = library.isServerVm;
            candidate.isPreferred = isPreferredKey(key, settings.jvmSource, settings.vmProvider);
            candidates.push_back(std::move(candidate));
        }
    }
    return candidates;
}

std::optional<JvmCandidate> searchInstalledJava(InstalledJavaSource& source, const LauncherSettings& settings) {
    std::vector<JvmCandidate> candidates = collectCandidates(source, settings);
    rankCandidates(candidates, settings.jvmSource.favorMode, settings.jvmType);
    return selectCandidate(candidates, settings.preferredVersions);
}

}  // namespace jlaunch
