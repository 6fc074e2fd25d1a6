// The child that makes an AOT cache from a launch's record: this launcher
// again, hosting the VM with nothing but the request's options. The VM
// writes the cache and ends the process; its output goes where the parent
// put this process's standard streams.
#include <jni.h>

#include "common/environment.h"
#include "common/file_reader.h"
#include "common/paths.h"
#include "common/trace.h"
#include "jvmhost/jvm_library.h"
#include "jvmhost/startup_cache.h"

namespace jlaunch {

namespace {

// A request lists a class path and the options: far below this.
constexpr std::uint64_t kRequestLimit = 16 * 1024 * 1024;

}  // namespace

std::optional<int> runStartupCacheChild() {
    const auto requestPath = Environment::ofProcess().get(kStartupCacheChildVariable);
    if (!requestPath) {
        return std::nullopt;
    }
    openTrace();
    const FileReader file(*requestPath);
    std::string text;
    if (file.isOpen() && file.size() < kRequestLimit) {
        text.resize(static_cast<std::size_t>(file.size()));
        if (!file.readAt(0, text.size(), text.data())) {
            text.clear();
        }
    }
    const auto request = parseChildRequest(text);
    if (!request) {
        trace("startup cache child: no request in ", *requestPath);
        return 2;
    }
    const JvmLoadResult loaded = openJvmLibrary(request->jvmLibraryPath, parentPath(request->jvmLibraryPath, 2));
    if (loaded.status != JvmLoadStatus::Loaded) {
        trace("startup cache child: the VM library ", request->jvmLibraryPath, " does not load");
        return 3;
    }
    // No hooks: nothing of this launcher is for the VM to show.
    std::vector<JavaVMOption> options;
    options.reserve(request->options.size());
    for (const std::string& option : request->options) {
        options.push_back({const_cast<char*>(option.c_str()), nullptr});
    }
    JavaVMInitArgs arguments = vmInitArgs(options);
    JavaVM* vm = nullptr;
    void* env = nullptr;
    const jint result = loaded.entryPoints.createJavaVm(&vm, &env, &arguments);
    trace("startup cache child: JNI_CreateJavaVM returned ", result);
    if (result != JNI_OK) {
        return 4;
    }
    // A runtime that made the cache without ending the process.
    vm->DestroyJavaVM();
    return 0;
}

}  // namespace jlaunch
