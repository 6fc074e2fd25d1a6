// Drives a jvm.dll through one JNI sequence in a process of its own, for the
// double's self-tests of what ends a process (System.exit, an unexpected JNI
// call, a script error), which a test cannot do in its own process.
//
// Usage: fake_jvm_driver JVM_DLL HOOK_LOG COMMAND [ARGUMENT]
//   run-main CLASS             create the VM, call CLASS.main(new String[0]), exit 0
//   system-exit CODE           create the VM, call System.exit(CODE)
//   check-and-load-main NAME   create the VM, call LauncherHelper.checkAndLoadMain(true, 1, NAME), exit 0
//   unexpected-call            create the VM, call GetVersion, which the double does not offer
// The VM's exit and abort hooks append "exit-hook CODE" and "abort-hook" lines
// to HOOK_LOG. Exit code 90 and up: the driver itself failed.
#include <windows.h>

#include <jni.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const wchar_t* hookLog = nullptr;

void appendToHookLog(const char* line) {
    const HANDLE file = CreateFileW(hookLog, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    CloseHandle(file);
}

void JNICALL exitHook(jint code) {
    const std::string line = "exit-hook " + std::to_string(code) + "\n";
    appendToHookLog(line.c_str());
}

void JNICALL abortHook() {
    appendToHookLog("abort-hook\n");
}

int fail(const char* what) {
    std::fprintf(stderr, "fake_jvm_driver: %s\n", what);
    return 90;
}

template <typename Function>
Function entry(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return fail("usage: fake_jvm_driver JVM_DLL HOOK_LOG COMMAND [ARGUMENT]");
    hookLog = argv[2];
    const std::wstring command = argv[3];
    const std::wstring argument = argc > 4 ? argv[4] : L"";
    const HMODULE library = LoadLibraryW(argv[1]);
    if (library == nullptr) return fail("cannot load the library");
    using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
    const auto create = entry<CreateJavaVm>(library, "JNI_CreateJavaVM");
    if (create == nullptr) return fail("no JNI_CreateJavaVM");

    JavaVMOption options[2] = {};
    options[0].optionString = const_cast<char*>("abort");
    options[1].optionString = const_cast<char*>("exit");
    // The JNI passes the hooks as data pointers.
    static_assert(sizeof(void*) == sizeof(&exitHook));
    const auto exitHookAddress = &exitHook;
    std::memcpy(&options[1].extraInfo, &exitHookAddress, sizeof(void*));
    const auto abortHookAddress = &abortHook;
    std::memcpy(&options[0].extraInfo, &abortHookAddress, sizeof(void*));
    JavaVMInitArgs init{};
    init.version = JNI_VERSION_1_2;
    init.nOptions = 2;
    init.options = options;
    init.ignoreUnrecognized = JNI_FALSE;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (create(&vm, reinterpret_cast<void**>(&env), &init) != JNI_OK) return fail("JNI_CreateJavaVM failed");

    const std::string narrow(argument.begin(), argument.end());
    if (command == L"run-main") {
        jclass cls = env->FindClass(narrow.c_str());
        jmethodID main = cls != nullptr ? env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V") : nullptr;
        jclass string = env->FindClass("java/lang/String");
        if (main == nullptr || string == nullptr) return fail("no main");
        jobjectArray args = env->NewObjectArray(0, string, nullptr);
        env->CallStaticVoidMethod(cls, main, args);
        return 0;
    }
    if (command == L"system-exit") {
        jclass system = env->FindClass("java/lang/System");
        jmethodID exit = system != nullptr ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
        if (exit == nullptr) return fail("no System.exit");
        env->CallStaticVoidMethod(system, exit, static_cast<jint>(std::stol(narrow)));
        return fail("System.exit returned");
    }
    if (command == L"check-and-load-main") {
        using FindBootClass = jclass(JNICALL*)(JNIEnv*, const char*);
        const auto findBootClass = entry<FindBootClass>(library, "JVM_FindClassFromBootLoader");
        jclass helper = findBootClass != nullptr ? findBootClass(env, "sun/launcher/LauncherHelper") : nullptr;
        jmethodID check = helper != nullptr ? env->GetStaticMethodID(helper, "checkAndLoadMain",
                                                                     "(ZILjava/lang/String;)Ljava/lang/Class;")
                                            : nullptr;
        if (check == nullptr) return fail("no checkAndLoadMain");
        jstring name = env->NewStringUTF(narrow.c_str());
        jobject cls = env->CallStaticObjectMethod(helper, check, JNI_TRUE, static_cast<jint>(1), name);
        return cls != nullptr ? 0 : 1;
    }
    if (command == L"unexpected-call") {
        env->GetVersion();
        return fail("GetVersion returned");
    }
    return fail("unknown command");
}
