#pragma once
// The installed Java runtimes the system knows of: the vendors' registry
// keys on Windows, the standard install folders on Linux.
#include <optional>
#include <string>
#include <vector>

#include "jvmsearch/candidates.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Native reads the registry of the launcher's own bitness; Wow32 the 32-bit view.
enum class RegistryView { Native, Wow32 };

// What the system lists under one vendor key: its version entries by name.
class InstalledJavaSource {
public:
    virtual ~InstalledJavaSource() = default;
    InstalledJavaSource() = default;
    InstalledJavaSource(const InstalledJavaSource&) = delete;
    InstalledJavaSource& operator=(const InstalledJavaSource&) = delete;

    // The names of the key's version entries, in the system's order.
    virtual std::vector<std::wstring> versionNames(const VendorKey& key) = 0;
    // The "JavaHome" of one entry (`index` in the list of names); nothing
    // when it cannot be read or is empty.
    virtual std::optional<std::wstring> javaHome(const VendorKey& key, std::size_t index,
                                                 const std::wstring& versionName) = 0;
};

// Every usable installation in range, key after key, in the system's order.
std::vector<JvmCandidate> collectCandidates(InstalledJavaSource& source, const LauncherSettings& settings);

// One pass: collect, rank, select. Nothing when no candidate was found.
std::optional<JvmCandidate> searchInstalledJava(InstalledJavaSource& source, const LauncherSettings& settings);

// The platform's pass over its installations.
std::optional<JvmCandidate> searchRegistry(RegistryView view, const LauncherSettings& settings);

}  // namespace jlaunch
