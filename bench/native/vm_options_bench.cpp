// Times the class-path assembly for a lib folder of 1,000 and of 10,000 jars
// beside this program, with the settings the launcher would have read.
// The time must grow linearly: the ratio of the two is printed.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/system.h"
#include "jvmhost/vm_options.h"
#include "jvmhost/memory_options.h"
#include "settings/launcher_settings.h"

namespace fs = std::filesystem;

namespace {

double secondsFor(const fs::path& folder, const std::wstring& executable, int jars) {
    const fs::path lib = folder / "lib";
    fs::remove_all(lib);
    fs::create_directories(lib);
    for (int i = 0; i < jars; ++i) {
        std::ofstream(lib / ("library-" + std::to_string(i) + ".jar"));
    }
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        jlaunch::LauncherSettings settings;
        settings.classPath = L"lib\\*.jar;app.jar";
        settings.vmParameters = L"-Xmx50P -Xss1m";
        const auto start = std::chrono::steady_clock::now();
        const auto assembled = jlaunch::assembleVmOptions(settings, executable, jlaunch::memoryStatus(),
                                                          jlaunch::Environment::ofProcess());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (assembled.options.empty() || assembled.options.front().size() < static_cast<std::size_t>(jars) * 10) {
            std::fprintf(stderr, "the class path does not hold the %d jars\n", jars);
            std::exit(1);
        }
        best = std::min(best, took.count());
    }
    fs::remove_all(lib);
    return best;
}

}  // namespace

int main() {
    std::uint32_t error = 0;
    const auto self = jlaunch::executablePath(error);
    if (!self) {
        return 1;
    }
    const fs::path exe(*self);
    const double thousand = secondsFor(exe.parent_path(), *self, 1000);
    const double tenThousand = secondsFor(exe.parent_path(), *self, 10000);
    std::printf("assembleVmOptions, lib of  1,000 jars: %8.3f ms\n", thousand * 1e3);
    std::printf("assembleVmOptions, lib of 10,000 jars: %8.3f ms\n", tenThousand * 1e3);
    std::printf("ratio 10,000 / 1,000: %.2f (linear growth is 10)\n", tenThousand / thousand);
    return 0;
}
