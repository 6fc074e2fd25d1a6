#include "jvmsearch/installed_java.h"

#include "common/paths.h"
#include "jvmsearch/java_home.h"

namespace jlaunch {

namespace {

// A name without digits still counts, as version 0.0.0.0.
JavaVersion versionOf(const std::wstring& name) {
    JavaVersion version;
    parseJavaVersion(name, kVersionFillerLow, version);
    return version;
}

bool inRange(const std::wstring& name, const LauncherSettings& settings) {
    return isVersionInRange(versionOf(name), settings.minimumVersion, settings.maximumVersion);
}

}  // namespace

std::vector<JvmCandidate> collectCandidates(const std::vector<InstalledRuntime>& installed,
                                            const LauncherSettings& settings) {
    std::vector<JvmCandidate> candidates;
    for (const InstalledRuntime& entry : installed) {
        const VendorKey& key = *entry.key;
        if (!inRange(entry.versionName, settings) || !entry.home || entry.home->empty()) {
            continue;
        }
        JvmCandidate candidate;
        candidate.version = versionOf(entry.versionName);
        candidate.home = withTrailingSeparator(*entry.home);
        if (key.homeInJreFolder) {
            candidate.home += L"jre";
            candidate.home.push_back(kPathSeparator);
        }
        const JvmType probeType =
            key.favorServerAsDefault && settings.jvmType == JvmType::FavorServer ? JvmType::Default : settings.jvmType;
        const JvmLibrary library = findJvmLibrary(candidate.home, probeType);
        if (library.path.empty()) {
            continue;
        }
        candidate.isServerVm = library.isServerVm;
        candidate.isPreferred = isPreferredKey(key, settings.jvmSource, settings.vmProvider);
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

std::optional<JvmCandidate> searchInstalledRuntimes(RuntimeBitness bitness, const LauncherSettings& settings) {
    std::vector<const VendorKey*> keys;
    for (const VendorKey& key : vendorKeys()) {
        if (shouldReadKey(key, settings.jvmSource, settings.vmProvider)) {
            keys.push_back(&key);
        }
    }
    return chooseInstalledRuntime(
        listInstalledRuntimes(bitness, keys, [&settings](const std::wstring& name) { return inRange(name, settings); }),
        settings);
}

std::optional<JvmCandidate> chooseInstalledRuntime(const std::vector<InstalledRuntime>& installed,
                                                   const LauncherSettings& settings) {
    std::vector<JvmCandidate> candidates = collectCandidates(installed, settings);
    rankCandidates(candidates, settings.jvmSource.favorMode, settings.jvmType);
    return selectCandidate(candidates, settings.preferredVersions);
}

}  // namespace jlaunch
