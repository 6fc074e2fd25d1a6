#include "jvmsearch/candidates.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/trace.h"

namespace jlaunch {

namespace {

// Today's vendors build what JavaSoft once shipped: they are read unless
// "VM Provider" accepts nothing but JRockit or nothing but IBM.
bool acceptsOrPrefers(VendorFamily family, const VmProviderPolicy& p) {
    switch (family) {
        case VendorFamily::Other:
        case VendorFamily::JavaSoft:
            return p.acceptJavaSoft || p.preferJavaSoft;
        case VendorFamily::JRockit:
            return p.acceptJRockit || p.preferJRockit;
        case VendorFamily::Ibm:
            return p.acceptIbm || p.preferIbm;
    }
    return false;
}

// Today's vendors are read in a pass of their own, so among them only the
// kind ("JVM Source") decides the preference.
bool prefers(VendorFamily family, const VmProviderPolicy& p) {
    switch (family) {
        case VendorFamily::Other:
            return true;
        case VendorFamily::JavaSoft:
            return p.preferJavaSoft;
        case VendorFamily::JRockit:
            return p.preferJRockit;
        case VendorFamily::Ibm:
            return p.preferIbm;
    }
    return false;
}

// True when `later` ranks strictly above `earlier`.
bool ranksHigher(const JvmCandidate& later, const JvmCandidate& earlier, bool favorMode, JvmType type) {
    if (favorMode && later.isPreferred != earlier.isPreferred) {
        return later.isPreferred;
    }
    if (type == JvmType::FavorServer && later.isServerVm != earlier.isServerVm) {
        return later.isServerVm;
    }
    return compareJavaVersions(later.version, earlier.version) > 0;
}

}  // namespace

namespace {

// Constant tables: made at compile time, never at the first search.
constexpr std::array kVendorKeys = {
    VendorKey{L"Software\\JavaSoft\\JDK\\", JavaKind::Jdk, VendorFamily::JavaSoft, false, false},
    VendorKey{L"Software\\JavaSoft\\JRE\\", JavaKind::Jre, VendorFamily::JavaSoft, false, false},
    VendorKey{L"Software\\JavaSoft\\Java Development Kit\\", JavaKind::Jdk, VendorFamily::JavaSoft, true, false},
    VendorKey{L"Software\\JavaSoft\\Java Runtime Environment\\", JavaKind::Jre, VendorFamily::JavaSoft, false, true},
    VendorKey{L"Software\\JRockit\\Java Runtime Environment\\",
              JavaKind::Jre,
              VendorFamily::JRockit,
              false,
              false,
              L"JavaHome",
              {},
              L"",
              L"JRockit"},
    VendorKey{L"Software\\JRockit\\Java Development Kit\\",
              JavaKind::Jdk,
              VendorFamily::JRockit,
              true,
              false,
              L"JavaHome",
              {},
              L"",
              L"JRockit"},
    VendorKey{L"Software\\IBM\\Java2 Runtime Environment\\",
              JavaKind::Jre,
              VendorFamily::Ibm,
              false,
              false,
              L"JavaHome",
              {},
              L"",
              L"IBM"},
};

// The MSI installers of the OpenJDK builds keep the home in "Path" of
// <version>\<VM>\MSI; Azul's in "InstallationPath" of zulu-<major>.
constexpr const wchar_t* kMsiSubkeys[] = {L"hotspot\\MSI", L"openj9\\MSI"};
constexpr const wchar_t* kMicrosoftSubkeys[] = {L"hotspot\\MSI"};

constexpr VendorKey msiKey(const wchar_t* path, JavaKind kind, const wchar_t* vendor) {
    return {path, kind, VendorFamily::Other, false, false, L"Path", kMsiSubkeys, L"", vendor};
}

constexpr std::array kCurrentVendorKeys = {
    msiKey(L"SOFTWARE\\Eclipse Adoptium\\JDK\\", JavaKind::Jdk, L"Eclipse Adoptium"),
    msiKey(L"SOFTWARE\\Eclipse Adoptium\\JRE\\", JavaKind::Jre, L"Eclipse Adoptium"),
    msiKey(L"SOFTWARE\\AdoptOpenJDK\\JDK\\", JavaKind::Jdk, L"AdoptOpenJDK"),
    msiKey(L"SOFTWARE\\AdoptOpenJDK\\JRE\\", JavaKind::Jre, L"AdoptOpenJDK"),
    msiKey(L"SOFTWARE\\Eclipse Foundation\\JDK\\", JavaKind::Jdk, L"Eclipse Foundation"),
    msiKey(L"SOFTWARE\\Eclipse Foundation\\JRE\\", JavaKind::Jre, L"Eclipse Foundation"),
    msiKey(L"SOFTWARE\\Semeru\\JDK\\", JavaKind::Jdk, L"Semeru"),
    msiKey(L"SOFTWARE\\Semeru\\JRE\\", JavaKind::Jre, L"Semeru"),
    VendorKey{L"SOFTWARE\\Microsoft\\JDK\\", JavaKind::Jdk, VendorFamily::Other, false, false, L"Path",
              kMicrosoftSubkeys, L"", L"Microsoft"},
    VendorKey{L"SOFTWARE\\Azul Systems\\Zulu\\",
              JavaKind::FromHome,
              VendorFamily::Other,
              false,
              false,
              L"InstallationPath",
              {},
              L"zulu-",
              L"Azul Zulu"},
};

}  // namespace

std::span<const VendorKey> vendorKeys() {
    return kVendorKeys;
}

std::span<const VendorKey> currentVendorKeys() {
    return kCurrentVendorKeys;
}

const wchar_t* javaKindName(JavaKind kind) {
    switch (kind) {
        case JavaKind::Jdk:
            return L"JDK";
        case JavaKind::Jre:
            return L"JRE";
        case JavaKind::FromHome:
            break;
    }
    return L"JDK or JRE";
}

bool isKindAccepted(JavaKind kind, const JvmSourcePolicy& source) {
    switch (kind) {
        case JavaKind::Jdk:
            return source.favorMode || source.acceptJdk;
        case JavaKind::Jre:
            return source.favorMode || source.acceptJre;
        case JavaKind::FromHome:
            break;
    }
    return source.favorMode || source.acceptJdk || source.acceptJre;
}

bool shouldReadKey(const VendorKey& key, const JvmSourcePolicy& source, const VmProviderPolicy& provider) {
    return isKindAccepted(key.kind, source) && acceptsOrPrefers(key.family, provider);
}

bool isPreferredKind(JavaKind kind, VendorFamily family, const JvmSourcePolicy& source,
                     const VmProviderPolicy& provider) {
    return (kind == JavaKind::Jdk ? source.acceptJdk : source.acceptJre) && prefers(family, provider);
}

bool isVersionInRange(const JavaVersion& version, const JavaVersion& minimum, const JavaVersion& maximum) {
    return compareJavaVersions(minimum, version) <= 0 && compareJavaVersions(version, maximum) <= 0;
}

void rankCandidates(std::vector<JvmCandidate>& candidates, bool favorMode, JvmType type) {
    // A stable insertion sort: a search finds a handful of runtimes, and
    // std::stable_sort's buffered merge costs the exe about 3 KB.
    const auto higher = [favorMode, type](const auto& a, const auto& b) { return ranksHigher(a, b, favorMode, type); };
    for (auto next = candidates.begin(); next != candidates.end(); ++next) {
        JvmCandidate moving = std::move(*next);
        const auto slot = std::upper_bound(candidates.begin(), next, moving, higher);
        std::move_backward(slot, next, next + 1);
        *slot = std::move(moving);
    }
}

std::optional<JvmCandidate> selectCandidate(const std::vector<JvmCandidate>& ranked,
                                            const std::vector<std::wstring>& preferredVersions) {
    if (ranked.empty()) {
        return std::nullopt;
    }
    for (const std::wstring& entry : preferredVersions) {
        JavaVersion wanted;
        parseJavaVersion(entry, kVersionFillerLow, wanted);
        std::size_t significant = wanted.components.size();
        while (significant > 0 && wanted.components[significant - 1] == 0) {
            --significant;
        }
        for (const JvmCandidate& candidate : ranked) {
            bool matches = true;
            for (std::size_t i = 0; i < significant; ++i) {
                matches = matches && candidate.version.components[i] == wanted.components[i];
            }
            if (matches) {
                trace("  preferred version ", entry, " chooses ", candidate.version, " at ", candidate.home);
                return candidate;
            }
        }
        trace("  preferred version ", entry, " matches no candidate");
    }
    trace("  chosen: the top candidate, ", ranked.front().version, " at ", ranked.front().home);
    return ranked.front();
}

}  // namespace jlaunch
