#pragma once
// The installed Java runtimes the system knows of: the vendors' registry
// keys on Windows, the standard install folders on Linux.
#include <optional>
#include <string>
#include <vector>

#include "common/function_ref.h"
#include "jvmsearch/candidates.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Native lists the runtimes of the launcher's own bitness; X86 the 32-bit
// ones that Windows keeps apart. Linux has only the native list.
enum class RuntimeBitness { Native, X86 };

// One version entry under a vendor key.
struct InstalledRuntime {
    const VendorKey* key = nullptr;
    std::wstring versionName;
    // Nothing when it could not be read, or was not read because the
    // version is not wanted.
    std::optional<std::wstring> home;
    // Where it was found (a registry key, a folder), for the trace.
    std::wstring source = {};
};

// Whether the home of a version entry is worth reading.
using VersionFilter = FunctionRef<bool(const std::wstring& versionName)>;

// The platform's entries under `keys`, key after key in the system's order.
std::vector<InstalledRuntime> listInstalledRuntimes(RuntimeBitness bitness, const std::vector<const VendorKey*>& keys,
                                                    VersionFilter wanted);

// Every usable installation in range, in the order listed.
std::vector<JvmCandidate> collectCandidates(const std::vector<InstalledRuntime>& installed,
                                            const LauncherSettings& settings);

// Collects, ranks and selects. Nothing when no candidate was found.
std::optional<JvmCandidate> chooseInstalledRuntime(const std::vector<InstalledRuntime>& installed,
                                                   const LauncherSettings& settings);

// One pass over `keys`: list, collect, rank, select. Nothing when no
// candidate was found.
std::optional<JvmCandidate> searchInstalledRuntimes(RuntimeBitness bitness, const LauncherSettings& settings,
                                                    std::span<const VendorKey> keys = vendorKeys());

}  // namespace jlaunch
