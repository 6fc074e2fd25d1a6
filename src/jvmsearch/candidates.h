#pragma once
// Installed Java runtimes as candidates: which vendor keys are read, how
// the candidates rank, and which one is chosen.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/java_version.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// FromHome: the key does not say; a home with the compiler is a JDK.
enum class JavaKind { Jdk, Jre, FromHome };
// Other: today's vendors (Eclipse Adoptium, Microsoft, Azul and the like).
enum class VendorFamily { JavaSoft, JRockit, Ibm, Other };

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
    // Where a version entry keeps its home: the value, and the subkeys below
    // the entry that may hold it (none: the entry itself).
    const wchar_t* homeValue = L"JavaHome";
    std::span<const wchar_t* const> homeSubkeys = {};
    // Only subkeys whose names begin so are version entries.
    const wchar_t* namePrefix = L"";
    // The vendor as the trace names it.
    const wchar_t* vendor = L"JavaSoft";
};

// The keys of the JavaSoft, JRockit and IBM installers.
std::span<const VendorKey> vendorKeys();

// The keys of today's installers, many of which write no JavaSoft key:
// read only after everything else has failed, so that nothing the older
// keys, JAVA_HOME and the rest find changes.
std::span<const VendorKey> currentVendorKeys();

// "JDK", "JRE" or "JDK or JRE", for the trace.
const wchar_t* javaKindName(JavaKind kind);

// Whether the policies let the search read a key at all.
bool shouldReadKey(const VendorKey& key, const JvmSourcePolicy& source, const VmProviderPolicy& provider);

// Whether a candidate of this kind (its key's, or the one its home told)
// and family is a preferred one.
bool isPreferredKind(JavaKind kind, VendorFamily family, const JvmSourcePolicy& source,
                     const VmProviderPolicy& provider);
// False when "JVM Source" allows only the other kind.
bool isKindAccepted(JavaKind kind, const JvmSourcePolicy& source);

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
