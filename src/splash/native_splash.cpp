#include "splash/native_splash.h"

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

bool startNativeSplash(const std::wstring& libraryPath, const std::wstring& jvmLibraryPath,
                       const std::wstring& imagePath, PendingCall& close) {
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
    library.splashInit();
    library.splashLoadFile(toNarrow(imagePath).c_str());
    library.splashSetFileJarName(toNarrow(imagePath).c_str(), "");
    return true;
}

}  // namespace jlaunch
