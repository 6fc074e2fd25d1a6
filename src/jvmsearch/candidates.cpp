#include "jvmsearch/candidates.h"

#include <utility>

namespace jlaunch {

namespace {

bool acceptsOrPrefers(VendorFamily family, const VmProviderPolicy& p) {
    switch (family) {
        case VendorFamily::JavaSoft:
            return p.acceptJavaSoft || p.preferJavaSoft;
        case VendorFamily::JRockit:
            return p.acceptJRockit || p.preferJRockit;
        case VendorFamily::Ibm:
            return p.acceptIbm || p.preferIbm;
    }
    return false;
}

bool prefers(VendorFamily family, const VmProviderPolicy& p) {
    switch (family) {
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

const std::vector<VendorKey>& vendorKeys() {
    static const std::vector<VendorKey> keys = {
        {L"Software\\JavaSoft\\JDK\\", JavaKind::Jdk, VendorFamily::JavaSoft, false, false},
        {L"Software\\JavaSoft\\JRE\\", JavaKind::Jre, VendorFamily::JavaSoft, false, false},
        {L"Software\\JavaSoft\\Java Development Kit\\", JavaKind::Jdk, VendorFamily::JavaSoft, true, false},
        {L"Software\\JavaSoft\\Java Runtime Environment\\", JavaKind::Jre, VendorFamily::JavaSoft, false, true},
        {L"Software\\JRockit\\Java Runtime Environment\\", JavaKind::Jre, VendorFamily::JRockit, false, false},
        {L"Software\\JRockit\\Java Development Kit\\", JavaKind::Jdk, VendorFamily::JRockit, true, false},
        {L"Software\\IBM\\Java2 Runtime Environment\\", JavaKind::Jre, VendorFamily::Ibm, false, false},
    };
    return keys;
}

bool shouldReadKey(const VendorKey& key, const JvmSourcePolicy& source, const VmProviderPolicy& provider) {
    const bool kindAccepted = source.favorMode || (key.kind == JavaKind::Jdk ? source.acceptJdk : source.acceptJre);
    return kindAccepted && acceptsOrPrefers(key.family, provider);
}

bool isPreferredKey(const VendorKey& key, const JvmSourcePolicy& source, const VmProviderPolicy& provider) {
    return (key.kind == JavaKind::Jdk ? source.acceptJdk : source.acceptJre) && prefers(key.family, provider);
}

bool isVersionInRange(const JavaVersion& version, const JavaVersion& minimum, const JavaVersion& maximum) {
    return compareJavaVersions(minimum, version) <= 0 && compareJavaVersions(version, maximum) <= 0;
}

void rankCandidates(std::vector<JvmCandidate>& candidates, bool favorMode, JvmType type) {
    const std::size_t n = candidates.size();
    for (std::size_t pass = 0; pass < n; ++pass) {
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (ranksHigher(candidates[i + 1], candidates[i], favorMode, type)) {
                std::swap(candidates[i], candidates[i + 1]);
            }
        }
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
                return candidate;
            }
        }
    }
    return ranked.front();
}

}  // namespace jlaunch
