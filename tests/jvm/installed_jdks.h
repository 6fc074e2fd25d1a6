#pragma once
// The JDKs the real-JVM suites run with: every one installed in /usr/lib/jvm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace jvm_tests {

namespace fs = std::filesystem;

inline std::vector<fs::path> installedJdks() {
    std::vector<fs::path> homes;
    std::set<fs::path> seen;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib/jvm", error)) {
        const fs::path home = fs::canonical(entry.path(), error);
        if (error || !fs::exists(home / "lib/server/libjvm.so") || !seen.insert(home).second) {
            continue;
        }
        homes.push_back(home);
    }
    std::sort(homes.begin(), homes.end());
    return homes;
}

inline std::string jdkName(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.filename().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

}  // namespace jvm_tests
