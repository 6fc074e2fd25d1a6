#include "jvmhost/jvm_session.h"

#include <atomic>
#include <utility>

#include "common/paths.h"
#include "common/trace.h"
#include "jvmhost/startup_cache.h"
#include "jvmhost/vm_output.h"

namespace jlaunch {

namespace {

std::atomic<VmExitHandler> vmExitHandler{nullptr};

}  // namespace

void setVmExitHandler(VmExitHandler handler) noexcept {
    vmExitHandler.store(handler);
}

namespace {

// The VM calls these as it exits or aborts; the launcher has nothing to add.
void JNICALL exitHook(jint code) {
    trace("the VM exits with status ", code, " (System.exit or the VM's own end)");
    finishStartupCacheNow();
    notifyVmEnd();
    if (const VmExitHandler handler = vmExitHandler.load()) {
        handler(static_cast<std::int32_t>(code));
    }
}
// Set once JNI_CreateJavaVM has returned: a crash before is the VM's start.
std::atomic<bool> vmStarted{false};

void JNICALL abortHook() {
    trace("the VM aborted");
    if (!vmStarted.load()) {
        dropStartupCacheInUse();
    }
    notifyVmEnd();
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

Result<JvmSession> JvmSession::load(const std::wstring& jvmLibraryPath) {
    trace("loading the VM library ", jvmLibraryPath);
    const JvmLoadResult loaded = openJvmLibrary(jvmLibraryPath, parentPath(jvmLibraryPath, 2));
    switch (loaded.status) {
        case JvmLoadStatus::Loaded:
            trace("VM library loaded");
            return JvmSession(loaded.entryPoints);
        case JvmLoadStatus::LibraryFailed:
            return Failure{kMsgJvmLibraryLoadFailed, {jvmLibraryPath, loaded.error}, loaded.detail};
        case JvmLoadStatus::EntryPointMissing:
            break;
    }
    Failure failure = systemFailure(kMsgCreateJavaVmMissing, loaded.error);
    failure.detail = loaded.detail;
    return failure;
}

JvmSession::JvmSession(JvmSession&& other) noexcept
    : entryPoints_(other.entryPoints_), vm_(std::exchange(other.vm_, nullptr)) {}

JvmSession& JvmSession::operator=(JvmSession&& other) noexcept {
    if (this != &other) {
        destroy();
        entryPoints_ = other.entryPoints_;
        vm_ = std::exchange(other.vm_, nullptr);
    }
    return *this;
}

JvmSession::~JvmSession() {
    destroy();
}

Result<JNIEnv*> JvmSession::create(const std::vector<std::string>& options) {
    std::vector<JavaVMOption> vmOptions;
    vmOptions.reserve(options.size() + 3);
    // First: the VM takes its options in order, and complains about one
    // through whatever print hook it has at that moment.
    // HotSpot lists every option string among the VM's arguments (jps -lv,
    // JMX, crash logs) except those beginning "-Djava.class.path",
    // "-Dsun.java.command" and "-Dsun.java.launcher", and takes a hook only
    // by its exact name: the three words stay visible there. No child of the
    // launcher gets them: the AOT cache is made from options without hooks.
    vmOptions.push_back({const_cast<char*>("vfprintf"), reinterpret_cast<void*>(&vmPrintHook)});
    for (const std::string& option : options) {
        vmOptions.push_back({const_cast<char*>(option.c_str()), nullptr});
    }
    vmOptions.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
    vmOptions.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});

    JavaVMInitArgs arguments = vmInitArgs(vmOptions);

    void* env = nullptr;
    JavaVM* vm = nullptr;
    enterVmStage(VmStage::Creating);
    const jint result = entryPoints_.createJavaVm(&vm, &env, &arguments);
    trace("JNI_CreateJavaVM returned ", result);
    vmStarted.store(true);
    if (result != JNI_OK) {
        // The VM's own words say more than the result's number.
        std::wstring said = collectedVmOutput();
        enterVmStage(VmStage::Running);
        if (!said.empty()) {
            return Failure{kMsgJniException, {kMsgCreateJavaVmFailed, std::move(said)}, {}};
        }
        return Failure{
            kMsgJniException, {kMsgCreateJavaVmFailed, static_cast<MessageId>(creationFailureReason(result))}, {}};
    }
    enterVmStage(VmStage::LoadingMain);
    vm_ = vm;
    return static_cast<JNIEnv*>(env);
}

void JvmSession::destroy() {
    if (JavaVM* vm = std::exchange(vm_, nullptr)) {
        trace("destroying the Java VM: it waits for the application's non-daemon threads");
        vm->DestroyJavaVM();
        trace("Java VM destroyed");
    }
}

std::uint64_t JvmSession::defaultStackSize() const {
    Jdk11InitArgs defaults{};
    defaults.version = JNI_VERSION_1_1;
    entryPoints_.getDefaultJavaVmInitArgs(&defaults);
    return defaults.javaStackSize > 0 ? static_cast<std::uint64_t>(defaults.javaStackSize) : 0;
}

}  // namespace jlaunch
