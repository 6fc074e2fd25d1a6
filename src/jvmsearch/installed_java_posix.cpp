#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "common/paths.h"
#include "common/text.h"
#include "common/handles_posix.h"
#include "jvmsearch/installed_java.h"
#include "jvmsearch/java_home.h"

namespace jlaunch {

namespace {

// The standard install folders of the distributions and vendors.
constexpr const char* kInstallFolders[] = {"/usr/lib/jvm", "/usr/java", "/opt/java"};

struct Installation {
    std::wstring versionName;
    std::wstring home;
    const VendorKey* key;
};

// A value of the runtime's "release" file, without its quotes.
std::string releaseValue(const std::string& home, const std::string& name) {
    std::ifstream release(home + "/release");
    for (std::string line; std::getline(release, line);) {
        if (line.starts_with(name + "=")) {
            std::string value = line.substr(name.size() + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            return value;
        }
    }
    return {};
}

const VendorKey& keyFor(const std::string& implementor, bool isJdk) {
    const auto& keys = vendorKeys();
    if (implementor.find("IBM") != std::string::npos ||
        implementor.find("International Business Machines") != std::string::npos) {
        return keys[6];
    }
    if (implementor.find("JRockit") != std::string::npos || implementor.find("BEA") != std::string::npos) {
        return isJdk ? keys[5] : keys[4];
    }
    return isJdk ? keys[0] : keys[1];
}

// Every Java home below the install folders, each once, in name order.
std::vector<Installation> scanInstallations() {
    std::vector<Installation> found;
    std::set<std::string> seen;
    for (const char* folder : kInstallFolders) {
        const UniqueDirectory directory(opendir(folder));
        if (!directory) {
            continue;
        }
        std::set<std::string> entries;
        while (const dirent* entry = readdir(directory.get())) {
            if (entry->d_name[0] != '.') {
                entries.insert(entry->d_name);
            }
        }
        for (const std::string& name : entries) {
            const std::string path = std::string(folder) + "/" + name;
            const UniqueMallocText real(realpath(path.c_str(), nullptr));
            if (!real || !seen.insert(real.get()).second) {
                continue;  // a link to a home already listed
            }
            std::string version = releaseValue(path, "JAVA_VERSION");
            if (version.empty()) {
                version = name;  // like a registry key, the folder's name tells the version
            }
            const bool isJdk = hasJavaCompiler(toWide(path + "/"));
            found.push_back({toWide(version), toWide(path), &keyFor(releaseValue(path, "IMPLEMENTOR"), isJdk)});
        }
    }
    return found;
}

}  // namespace

// Linux has one list of its install folders; the 32-bit one is empty.
std::vector<InstalledRuntime> listInstalledRuntimes(RuntimeBitness bitness, const std::vector<const VendorKey*>& keys,
                                                    VersionFilter wanted) {
    std::vector<InstalledRuntime> installed;
    // Installations are filed under the classic keys only; for the others
    // (the installers' own registry keys) there is nothing to scan again.
    const auto isClassicKey = [](const VendorKey* key) {
        const std::span<const VendorKey> classic = vendorKeys();
        return std::any_of(classic.begin(), classic.end(), [key](const VendorKey& other) { return &other == key; });
    };
    if (bitness != RuntimeBitness::Native || std::none_of(keys.begin(), keys.end(), isClassicKey)) {
        return installed;
    }
    const std::vector<Installation> found = scanInstallations();
    for (const VendorKey* key : keys) {
        for (const Installation& installation : found) {
            if (installation.key == key) {
                installed.push_back({key, installation.versionName,
                                     wanted(installation.versionName) ? std::optional(installation.home) : std::nullopt,
                                     installation.home});
            }
        }
    }
    return installed;
}

}  // namespace jlaunch
