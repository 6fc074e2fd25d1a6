#include "jvmhost/jvm_host.h"

#include <vector>

#include "common/paths.h"
#include "common/thread.h"
#include "jvmhost/main_invocation.h"
#include "jvmhost/redirection.h"
#include "launcher/errors.h"
#include "launcher/launcher.h"

namespace jlaunch {

namespace {

void JNICALL exitHook(jint code) {
    const Launcher* launcher = Launcher::instance();
    if (launcher != nullptr && launcher->exitObserver != nullptr) {
        launcher->exitObserver->onExit(code);
    }
}

void JNICALL abortHook() {
    const Launcher* launcher = Launcher::instance();
    if (launcher != nullptr && launcher->exitObserver != nullptr) {
        launcher->exitObserver->onAbort();
    }
}

// JDK 1.1's initialisation record: only the version and the stack size are read.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* fp, const char* format, va_list args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

}  // namespace

unsigned creationFailureReason(jint result) {
    switch (result) {
        case JNI_ERR:
            return kMsgReasonUnknown;
        case JNI_EDETACHED:
            return kMsgReasonDetached;
        case JNI_EVERSION:
            return kMsgReasonVersion;
        case JNI_ENOMEM:
            return kMsgReasonNoMemory;
        case JNI_EEXIST:
            return kMsgReasonExists;
        case JNI_EINVAL:
            return kMsgReasonInvalid;
        default:
            return 0;
    }
}

bool loadJvmLibrary(Launcher& launcher) {
    const std::wstring binFolder = parentPath(launcher.jvmLibraryPath, 2);
    const JvmLoadResult loaded = openJvmLibrary(launcher.jvmLibraryPath, binFolder);
    switch (loaded.status) {
        case JvmLoadStatus::Loaded:
            launcher.jvm = loaded.entryPoints;
            return true;
        case JvmLoadStatus::LibraryFailed:
            showError(launcher.splashWindowHandle,
                      formatText(kMsgJvmLibraryLoadFailed, {std::wstring_view(launcher.jvmLibraryPath), loaded.error}));
            break;
        case JvmLoadStatus::EntryPointMissing:
            showSystemError(launcher.splashWindowHandle, kMsgCreateJavaVmMissing, loaded.error);
            break;
    }
    if (!loaded.detail.empty()) {
        showPlatformDetail(loaded.detail);
    }
    return false;
}

bool createJvm(Launcher& launcher) {
    std::vector<JavaVMOption> options;
    options.reserve(launcher.vmOptions.size() + 2);
    for (std::string& option : launcher.vmOptions) {
        options.push_back({option.data(), nullptr});
    }
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});

    JavaVMInitArgs arguments{};
    arguments.version = JNI_VERSION_1_2;
    arguments.nOptions = static_cast<jint>(options.size());
    arguments.options = options.data();
    arguments.ignoreUnrecognized = JNI_FALSE;

    void* env = nullptr;
    const jint result = launcher.jvm.createJavaVm(&launcher.javaVm, &env, &arguments);
    if (result != JNI_OK) {
        launcher.javaVm = nullptr;
        const std::wstring what = messageText(kMsgCreateJavaVmFailed);
        const std::wstring reason = messageText(creationFailureReason(result));
        showError(launcher.splashWindowHandle, formatText(kMsgJniException, {what, reason}));
        return false;
    }
    launcher.jniEnv = static_cast<JNIEnv*>(env);
    applyRedirection(launcher);
    return true;
}

int runJavaThread(Launcher* launcher) {
    if (launcher == nullptr || !createJvm(*launcher)) {
        return 1;
    }
    if (!invokeMain(*launcher)) {
        // A thread that ends still attached would keep DestroyJavaVM in the
        // teardown waiting for it for ever.
        launcher->javaVm->DetachCurrentThread();
        return 1;
    }
    if (launcher->settings.isService && launcher->javaVm != nullptr) {
        // A service ends when its last non-daemon thread does.
        launcher->javaVm->DestroyJavaVM();
        launcher->javaVm = nullptr;
    }
    return 0;
}

int startJavaThread(Launcher& launcher) {
    if (launcher.javaThreadStackSize == 0) {
        Jdk11InitArgs defaults{};
        defaults.version = JNI_VERSION_1_1;
        launcher.jvm.getDefaultJavaVmInitArgs(&defaults);
        launcher.javaThreadStackSize =
            defaults.javaStackSize > 0 ? static_cast<std::uint64_t>(defaults.javaStackSize) : 0;
    }
    const auto result = runOnNewThread([&launcher] { return runJavaThread(&launcher); }, launcher.javaThreadStackSize);
    if (result) {
        return *result;
    }
    // Without a thread of its own, Java runs on this one.
    return runJavaThread(&launcher);
}

}  // namespace jlaunch
