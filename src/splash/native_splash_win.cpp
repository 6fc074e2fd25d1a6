#include <windows.h>

#include "splash/native_splash.h"

namespace jlaunch {

const wchar_t* const kNativeSplashLibraryName = L"splashscreen.dll";

namespace {

using AddDllDirectoryFunction = void*(WINAPI*)(const wchar_t*);

template <typename Function>
Function entryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The folder before the last backslash joins the DLL search for good.
void addFolderOf(AddDllDirectoryFunction addDllDirectory, const std::wstring& path) {
    const auto cut = path.rfind(L'\\');
    if (cut != std::wstring::npos) {
        addDllDirectory(path.substr(0, cut).c_str());
    }
}

}  // namespace

NativeSplashLibrary openNativeSplashLibrary(const std::wstring& libraryPath, const std::wstring& jvmLibraryPath) {
    NativeSplashLibrary library;
    // The library needs the runtime's java.dll and jvm.dll, which only the
    // added folders offer; a Windows 7 without AddDllDirectory gets the
    // launcher's own window instead.
    const auto addDllDirectory =
        entryPoint<AddDllDirectoryFunction>(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory");
    if (addDllDirectory == nullptr) {
        return library;
    }
    addFolderOf(addDllDirectory, libraryPath);
    addFolderOf(addDllDirectory, jvmLibraryPath);
    // As the VM library: its dependencies never come from the executable's folder.
    HMODULE module = LoadLibraryExW(libraryPath.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_USER_DIRS |
                                        LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        return library;
    }
    return resolveNativeSplash(
        [module](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); });
}

// The library's thread ends with the process without harm here: nothing to track.
ThreadIds processThreads() {
    return {};
}

bool waitForThreadsToEnd(const ThreadIds& /*threads*/, unsigned /*milliseconds*/) {
    return true;
}

}  // namespace jlaunch
