#include "splash/native_splash.h"

#include <algorithm>

#include "common/paths.h"
#include "common/text.h"

namespace jlaunch {

std::wstring findRuntimeFile(const std::wstring& jvmLibraryPath, const std::wstring& fileName) {
    std::wstring path = parentPath(jvmLibraryPath, 2);
    if (path.empty()) {
        return {};
    }
    if (path.back() != L'\\' && path.back() != L'/') {
        path.push_back(kPathSeparator);
    }
    path += fileName;
    return pathExists(path) ? path : std::wstring();
}

NativeSplashLibrary resolveNativeSplash(FunctionRef<void*(const char* name)> symbol) {
    NativeSplashLibrary library;
    library.loaded = true;
    library.splashInit = reinterpret_cast<decltype(library.splashInit)>(symbol("SplashInit"));
    library.splashLoadFile = reinterpret_cast<decltype(library.splashLoadFile)>(symbol("SplashLoadFile"));
    library.splashSetFileJarName =
        reinterpret_cast<decltype(library.splashSetFileJarName)>(symbol("SplashSetFileJarName"));
    library.splashClose = reinterpret_cast<decltype(library.splashClose)>(symbol("SplashClose"));
    return library;
}

ThreadIds threadsStartedSince(const ThreadIds& before, const ThreadIds& started) {
    ThreadIds added;
    for (const std::uint64_t id : started) {
        if (std::find(before.begin(), before.end(), id) == before.end()) {
            added.push_back(id);
        }
    }
    return added;
}

bool startNativeSplash(const std::wstring& libraryPath, const std::wstring& jvmLibraryPath,
                       const std::wstring& imagePath, PendingCall& close, ThreadIds& libraryThreads) {
    const NativeSplashLibrary library = openNativeSplashLibrary(libraryPath, jvmLibraryPath);
    if (!library.loaded) {
        return false;
    }
    if (library.splashClose != close.held()) {
        close.invokeNow();
        close.hold(library.splashClose);
    }
    if (library.splashInit == nullptr || library.splashLoadFile == nullptr || library.splashSetFileJarName == nullptr) {
        return false;
    }
    // The library shows its screen on a thread of its own, which it ends
    // asynchronously on "SplashClose"; the teardown waits for it.
    const ThreadIds before = processThreads();
    library.splashInit();
    library.splashLoadFile(toNarrow(imagePath).c_str());
    library.splashSetFileJarName(toNarrow(imagePath).c_str(), "");
    libraryThreads = threadsStartedSince(before, processThreads());
    return true;
}

}  // namespace jlaunch
