// The time of one registry search with 200 installed Java versions spread over
// the seven vendor keys, against a plain enumeration of the same keys that
// reads every "JavaHome" but probes no folder.
//
// It writes into HKLM and removes what it wrote; it refuses to run where a
// vendor key already exists. Run it in a prefix of its own, so that no test
// running at the same time sees its keys; its one argument is the number of
// runs (200 when not given):
//   JLAUNCH_WINE_ROOT=build/windows/bench tests/wine/wine-run.sh build/windows/tests/windows/bench_registry_search.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "java_registry.h"
#include "jvmsearch/installed_java.h"
#include "launch_helper.h"
#include "settings/launcher_settings.h"

namespace jlaunch::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kInstallations = 200;
constexpr int kDefaultRuns = 200;
constexpr int kWarmUpRuns = 5;

struct Timing {
    double median = 0;  // microseconds
    double minimum = 0;
    double mean = 0;
};

Timing measure(int runs, const std::function<void()>& work) {
    for (int i = 0; i < kWarmUpRuns; ++i) {
        work();
    }
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(samples.begin(), samples.end());
    Timing timing;
    timing.median = samples[samples.size() / 2];
    timing.minimum = samples.front();
    for (const double sample : samples) {
        timing.mean += sample;
    }
    timing.mean /= static_cast<double>(samples.size());
    return timing;
}

// What the search reads from the registry, and nothing more: every subkey of
// the seven keys and its "JavaHome".
std::size_t enumerateKeys(bool readJavaHome) {
    std::size_t found = 0;
    for (const std::wstring_view path : kVendorKeys) {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(path).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            continue;
        }
        const UniqueRegistryKey key(opened);
        for (DWORD index = 0;; ++index) {
            wchar_t name[520];
            DWORD length = 520;
            if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            if (!readJavaHome) {
                ++found;
                continue;
            }
            HKEY subkey = nullptr;
            if (RegOpenKeyExW(key.get(), name, 0, KEY_READ, &subkey) != ERROR_SUCCESS) {
                continue;
            }
            const UniqueRegistryKey version(subkey);
            wchar_t home[MAX_PATH + 1];
            DWORD size = sizeof home;
            if (RegQueryValueExW(version.get(), L"JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(home), &size) ==
                ERROR_SUCCESS) {
                ++found;
            }
        }
    }
    return found;
}

// Version i under key i % 7 + 1, in the name forms the vendors use, with a
// home whose VM lies where that key's probe looks.
std::wstring versionName(int i) {
    switch (i % 4) {
        case 0:
            return L"1.8.0_" + std::to_wstring(100 + i);
        case 1:
            return L"11.0." + std::to_wstring(i);
        case 2:
            return L"jdk-17.0." + std::to_wstring(i) + L"+8";
        default:
            return std::to_wstring(18 + i % 5) + L"." + std::to_wstring(i);
    }
}

int run(int runs) {
    JavaRegistry registry;
    if (!registry.usable()) {
        std::fprintf(stderr, "refusing to run: %s\n", registry.problem().c_str());
        return 2;
    }
    const TemporaryFolder homes;
    for (int i = 0; i < kInstallations; ++i) {
        const int key = i % static_cast<int>(kVendorKeys.size()) + 1;
        const std::wstring home = homes / (L"home" + std::to_wstring(i));
        const bool oldJdk = key == 3 || key == 6;
        if (i % 3 == 0) {
            makeJavaHome(
                home, {oldJdk ? L"jre\\bin\\java.dll" : kJavaDll, oldJdk ? L"jre\\bin\\server\\jvm.dll" : kServerVm});
        } else {
            makeJavaHome(
                home, {oldJdk ? L"jre\\bin\\java.dll" : kJavaDll, oldJdk ? L"jre\\bin\\client\\jvm.dll" : kClientVm});
        }
        registry.addJavaHome(key, versionName(i), home);
    }

    LauncherSettings settings;
    settings.vmProvider = parseVmProvider(L"any");
    settings.minimumVersion = parseMinimumVersion(L"any");
    settings.maximumVersion = parseMaximumVersion(L"any");
    const auto chosen = searchInstalledRuntimes(RuntimeBitness::Native, settings);
    const std::size_t listed = enumerateKeys(true);
    if (!chosen || listed != kInstallations) {
        std::fprintf(stderr, "the registry does not hold what was written: %zu installations listed, %s chosen\n",
                     listed, chosen ? "one" : "none");
        return 1;
    }

    const Timing search = measure(runs, [&settings] { searchInstalledRuntimes(RuntimeBitness::Native, settings); });
    const Timing withHomes = measure(runs, [] { enumerateKeys(true); });
    const Timing namesOnly = measure(runs, [] { enumerateKeys(false); });
    std::printf("%d installations over %zu keys, %d runs each (after %d warm-up runs), microseconds per run\n",
                kInstallations, kVendorKeys.size(), runs, kWarmUpRuns);
    std::printf("%-44s %10s %10s %10s\n", "", "median", "min", "mean");
    std::printf("%-44s %10.1f %10.1f %10.1f\n", "searchRegistry (probes every home)", search.median, search.minimum,
                search.mean);
    std::printf("%-44s %10.1f %10.1f %10.1f\n", "enumeration reading each JavaHome", withHomes.median,
                withHomes.minimum, withHomes.mean);
    std::printf("%-44s %10.1f %10.1f %10.1f\n", "enumeration of subkey names only", namesOnly.median, namesOnly.minimum,
                namesOnly.mean);
    std::printf("ratio search / enumeration with JavaHome (medians): %.2f\n", search.median / withHomes.median);
    std::printf("ratio search / enumeration of names only (medians): %.2f\n", search.median / namesOnly.median);
    return 0;
}

}  // namespace
}  // namespace jlaunch::test

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : jlaunch::test::kDefaultRuns;
    try {
        return jlaunch::test::run(runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 1;
    }
}
