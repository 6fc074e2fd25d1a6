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
            trace("  ", entry.source, ": version ", version, " is out of range: rejected");
            continue;
        }
        if (!entry.home || entry.home->empty()) {
            trace("  ", entry.source, ": version ", version, " names no home (", key.homeValue, "): rejected");
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
            trace("  ", entry.source, ": ", javaKindName(kind), " ", candidate.home,
                  " is of a kind \"JVM Source\" does not accept: rejected");
            continue;
        }
        const JvmType probeType =
            key.favorServerAsDefault && settings.jvmType == JvmType::FavorServer ? JvmType::Default : settings.jvmType;
        const JvmLibrary library = findJvmLibrary(candidate.home, probeType);
        if (library.path.empty()) {
            trace("  ", entry.source, ": ", key.vendor, " ", javaKindName(kind), " ", version, " at ", candidate.home,
                  " has no VM of type ", jvmTypeName(probeType), ": rejected");
            continue;
        }
        candidate.isServerVm = library.isServerVm;
        candidate.isPreferred = isPreferredKind(kind, key.family, settings.jvmSource, settings.vmProvider);
        trace("  ", entry.source, ": ", key.vendor, " ", javaKindName(kind), " ", version, " at ", candidate.home, ", ",
              candidate.isServerVm ? "server" : "non-server", " VM ", library.path,
              candidate.isPreferred ? ", preferred" : ", not preferred", ": candidate");
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

std::optional<JvmCandidate> searchInstalledRuntimes(RuntimeBitness bitness, const LauncherSettings& settings,
                                                    std::span<const VendorKey> keys) {
    std::vector<const VendorKey*> read;
    for (const VendorKey& key : keys) {
        if (shouldReadKey(key, settings.jvmSource, settings.vmProvider)) {
            read.push_back(&key);
        } else {
            trace("  ", key.vendor, " ", javaKindName(key.kind),
                  " installations: not read (\"JVM Source\" or \"VM Provider\" excludes them)");
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
        trace("  ranked ", i + 1, ": ", candidates[i].version, " at ", candidates[i].home);
    }
    return selectCandidate(candidates, settings.preferredVersions);
}

}  // namespace jlaunch
