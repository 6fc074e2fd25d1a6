#include "jvmsearch/installed_java.h"

#include "common/paths.h"
#include "common/trace.h"
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
        const JavaVersion version = versionOf(entry.versionName);
        if (!isVersionInRange(version, settings.minimumVersion, settings.maximumVersion)) {
            trace(L"  ", entry.source, L": version ", version, L" is out of range: rejected");
            continue;
        }
        if (!entry.home || entry.home->empty()) {
            trace(L"  ", entry.source, L": version ", version, L" names no home (", key.homeValue, L"): rejected");
            continue;
        }
        JvmCandidate candidate;
        candidate.version = version;
        candidate.home = withTrailingSeparator(*entry.home);
        if (key.homeInJreFolder) {
            candidate.home += L"jre";
            candidate.home.push_back(kPathSeparator);
        }
        JavaKind kind = key.kind;
        if (kind == JavaKind::FromHome) {
            kind = hasJavaCompiler(candidate.home) ? JavaKind::Jdk : JavaKind::Jre;
        }
        if (!isKindAccepted(kind, settings.jvmSource)) {
            trace(L"  ", entry.source, L": ", javaKindName(kind), L" ", candidate.home,
                  L" is of a kind \"JVM Source\" does not accept: rejected");
            continue;
        }
        const JvmType probeType =
            key.favorServerAsDefault && settings.jvmType == JvmType::FavorServer ? JvmType::Default : settings.jvmType;
        const JvmLibrary library = findJvmLibrary(candidate.home, probeType);
        if (library.path.empty()) {
            trace(L"  ", entry.source, L": ", key.vendor, L" ", javaKindName(kind), L" ", version, L" at ",
                  candidate.home, L" has no VM of type ", jvmTypeName(probeType), L": rejected");
            continue;
        }
        candidate.isServerVm = library.isServerVm;
        candidate.isPreferred = isPreferredKind(kind, key.family, settings.jvmSource, settings.vmProvider);
        trace(L"  ", entry.source, L": ", key.vendor, L" ", javaKindName(kind), L" ", version, L" at ", candidate.home,
              L", ", candidate.isServerVm ? L"server" : L"non-server", L" VM ", library.path,
              candidate.isPreferred ? L", preferred" : L", not preferred", L": candidate");
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

std::optional<JvmCandidate> searchInstalledRuntimes(RuntimeBitness bitness, const LauncherSettings& settings,
                                                    const std::vector<VendorKey>& keys) {
    std::vector<const VendorKey*> read;
    for (const VendorKey& key : keys) {
        if (shouldReadKey(key, settings.jvmSource, settings.vmProvider)) {
            read.push_back(&key);
        } else {
            trace(L"  ", key.vendor, L" ", javaKindName(key.kind),
                  L" installations: not read (\"JVM Source\" or \"VM Provider\" excludes them)");
        }
    }
    return chooseInstalledRuntime(
        listInstalledRuntimes(bitness, read, [&settings](const std::wstring& name) { return inRange(name, settings); }),
        settings);
}

std::optional<JvmCandidate> chooseInstalledRuntime(const std::vector<InstalledRuntime>& installed,
                                                   const LauncherSettings& settings) {
    std::vector<JvmCandidate> candidates = collectCandidates(installed, settings);
    rankCandidates(candidates, settings.jvmSource.favorMode, settings.jvmType);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        trace(L"  ranked ", i + 1, L": ", candidates[i].version, L" at ", candidates[i].home);
    }
    return selectCandidate(candidates, settings.preferredVersions);
}

}  // namespace jlaunch
