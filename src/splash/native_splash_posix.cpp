#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "common/text.h"
#include "splash/native_splash.h"

namespace jlaunch {

const wchar_t* const kNativeSplashLibraryName = L"libsplashscreen.so";

NativeSplashLibrary openNativeSplashLibrary(const std::wstring& libraryPath, const std::wstring& jvmLibraryPath) {
    NativeSplashLibrary library;
    // libsplashscreen.so links against libjvm.so, which lies in a folder of
    // its own: loaded first and globally, it satisfies that dependency. The
    // VM's own loading later finds it loaded.
    if (dlopen(toNarrow(jvmLibraryPath).c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr) {
        return library;
    }
    void* module = dlopen(toNarrow(libraryPath).c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr) {
        return library;
    }
    return resolveNativeSplash([module](const char* name) { return dlsym(module, name); });
}

ThreadIds processThreads() {
    ThreadIds ids;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) {
        return ids;
    }
    while (const dirent* entry = readdir(tasks)) {
        char* end = nullptr;
        const unsigned long long id = std::strtoull(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0') {
            ids.push_back(id);
        }
    }
    closedir(tasks);
    return ids;
}

bool waitForThreadsToEnd(const ThreadIds& threads, unsigned milliseconds) {
    constexpr unsigned kStep = 5;
    for (unsigned waited = 0;; waited += kStep) {
        const ThreadIds running = processThreads();
        if (std::none_of(threads.begin(), threads.end(), [&running](std::uint64_t id) {
                return std::find(running.begin(), running.end(), id) != running.end();
            })) {
            return true;
        }
        if (waited >= milliseconds) {
            return false;
        }
        usleep(kStep * 1000);
    }
}

}  // namespace jlaunch
