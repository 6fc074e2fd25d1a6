#include <windows.h>

#include "jvmhost/jvm_library.h"

namespace jlaunch {

namespace {

using AddDllDirectoryFunction = void*(WINAPI*)(const wchar_t*);

template <typename Function>
Function entryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

JvmLoadResult openJvmLibrary(const std::wstring& path, const std::wstring& runtimeBinFolder) {
    JvmLoadResult result;
    // Windows 7 has AddDllDirectory only with an update: look it up, and
    // without it let the library's own folder be searched instead.
    const auto addDllDirectory =
        entryPoint<AddDllDirectoryFunction>(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory");
    HMODULE module = nullptr;
    if (addDllDirectory != nullptr) {
        addDllDirectory(runtimeBinFolder.c_str());
        // Its dependencies come from its own folders and the system's, never
        // from the executable's folder, where anyone may have put a DLL of
        // the same name (the runtime's own C runtime, for one).
        module = LoadLibraryExW(
            path.c_str(), nullptr,
            LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else {
        module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (module == nullptr) {
        result.error = GetLastError();
        return result;
    }
    result.entryPoints.createJavaVm = entryPoint<CreateJavaVmFunction>(module, "JNI_CreateJavaVM");
    result.entryPoints.getDefaultJavaVmInitArgs =
        entryPoint<GetDefaultJavaVmInitArgsFunction>(module, "JNI_GetDefaultJavaVMInitArgs");
    if (result.entryPoints.createJavaVm == nullptr || result.entryPoints.getDefaultJavaVmInitArgs == nullptr) {
        result.status = JvmLoadStatus::EntryPointMissing;
        result.error = GetLastError();
        return result;
    }
    result.entryPoints.findClassFromBootLoader =
        entryPoint<FindClassFromBootLoaderFunction>(module, "JVM_FindClassFromBootLoader");
    result.status = JvmLoadStatus::Loaded;
    return result;
}

}  // namespace jlaunch
