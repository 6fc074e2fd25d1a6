#pragma once
// Installed Java runtimes as candidates: which vendor keys are read, how
// the candidates rank, and which one is chosen.
#include <optional>
#include <string>
#include <vector>

#include "common/java_version.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

enum class JavaKind { Jdk, Jre };
enum class VendorFamily { JavaSoft, JRockit, Ibm };

struct JvmCandidate {
    JavaVersion version;
    std::wstring home;  // ends with a separator
    bool isServerVm = false;
    bool isPreferred = false;
};

// One vendor key of the registry, in the order the keys are read.
struct VendorKey {
    const wchar_t* path;
    JavaKind kind;
    VendorFamily family;
    bool homeInJreFolder;       // older JDK keys keep the runtime in "jre\"
    bool favorServerAsDefault;  // this key probes "favor_server" as the default order
};

const std::vector<VendorKey>& vendorKeys();

// Whether the policies let the search read a key at all.
bool shouldReadKey(const VendorKey& key, const JvmSourcePolicy& source, const VmProviderPolicy& provider);

// Whether a candidate of this key's kind and family is a preferred one.
bool isPreferredKey(const VendorKey& key, const JvmSourcePolicy& source, const VmProviderPolicy& provider);

// True when minimum <= version <= maximum.
bool isVersionInRange(const JavaVersion& version, const JavaVersion& minimum, const JavaVersion& maximum);

// Stable ranking, best first: preference (in favour mode), then a server VM
// (for "favor_server"), then the higher version.
void rankCandidates(std::vector<JvmCandidate>& candidates, bool favorMode, JvmType type);

// The candidate the preferred versions choose, or the top one; nothing for
// an empty list.
std::optional<JvmCandidate> selectCandidate(const std::vector<JvmCandidate>& ranked,
                                            const std::vector<std::wstring>& preferredVersions);

}  // namespace jlaunch
