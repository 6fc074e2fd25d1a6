#include <dlfcn.h>

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

}  // namespace jlaunch
