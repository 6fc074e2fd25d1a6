#pragma once
// The Java VM library and its invocation entry points.
#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

namespace jlaunch {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultJavaVmInitArgsFunction = jint(JNICALL*)(void*);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv*, const char*);

// The creation arguments for `options`, which must outlive them: JNI 1.2,
// and an option the VM does not know refuses the creation.
inline JavaVMInitArgs vmInitArgs(std::vector<JavaVMOption>& options) {
    JavaVMInitArgs arguments{};
    arguments.version = JNI_VERSION_1_2;
    arguments.nOptions = static_cast<jint>(options.size());
    arguments.options = options.data();
    arguments.ignoreUnrecognized = JNI_FALSE;
    return arguments;
}

struct JvmEntryPoints {
    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultJavaVmInitArgsFunction getDefaultJavaVmInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;  // optional
};

enum class JvmLoadStatus { Loaded, LibraryFailed, EntryPointMissing };

struct JvmLoadResult {
    JvmLoadStatus status = JvmLoadStatus::LibraryFailed;
    std::uint32_t error = 0;  // the system's error number of the failing call
    std::wstring detail;      // the loader's own words, where it has any
    JvmEntryPoints entryPoints;
};

// Loads the library (never unloaded) with `runtimeBinFolder` added to the
// search for its dependencies, and resolves the entry points.
JvmLoadResult openJvmLibrary(const std::wstring& path, const std::wstring& runtimeBinFolder);

}  // namespace jlaunch
