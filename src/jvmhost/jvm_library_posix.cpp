#include <dlfcn.h>

#include <cerrno>

#include "common/text.h"
#include "jvmhost/jvm_library.h"

namespace jlaunch {

namespace {

template <typename Function>
Function entryPoint(void* module, const char* name) {
    return reinterpret_cast<Function>(dlsym(module, name));
}

}  // namespace

// The runtime finds its own libraries through its RPATH; the bin folder
// has nothing to add on Linux.
JvmLoadResult openJvmLibrary(const std::wstring& path, const std::wstring& /*runtimeBinFolder*/) {
    JvmLoadResult result;
    errno = 0;
    void* module = dlopen(toNarrow(path).c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr) {
        result.error = static_cast<std::uint32_t>(errno);
        const char* why = dlerror();
        result.detail = toWide(why != nullptr ? why : "");
        return result;
    }
    result.entryPoints.createJavaVm = entryPoint<CreateJavaVmFunction>(module, "JNI_CreateJavaVM");
    result.entryPoints.getDefaultJavaVmInitArgs =
        entryPoint<GetDefaultJavaVmInitArgsFunction>(module, "JNI_GetDefaultJavaVMInitArgs");
    if (result.entryPoints.createJavaVm == nullptr || result.entryPoints.getDefaultJavaVmInitArgs == nullptr) {
        result.status = JvmLoadStatus::EntryPointMissing;
        const char* why = dlerror();
        result.detail = toWide(why != nullptr ? why : "");
        return result;
    }
    result.entryPoints.findClassFromBootLoader =
        entryPoint<FindClassFromBootLoaderFunction>(module, "JVM_FindClassFromBootLoader");
    result.status = JvmLoadStatus::Loaded;
    return result;
}

}  // namespace jlaunch
