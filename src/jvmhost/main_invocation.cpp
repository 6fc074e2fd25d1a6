#include "jvmhost/main_invocation.h"

#include <algorithm>

#include "common/text.h"
#include "common/thread.h"
#include "common/trace.h"
#include "ui/exception_dialog.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/helper_errors.h"
#include "jvmhost/java_strings.h"
#include "jvmhost/vm_output.h"

namespace jlaunch {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

// Describes the pending exception on the Java error stream and answers its
// first line (its class and message, as "java" shows them), for the message
// box; empty when that adds nothing to the message (the class itself is
// missing) or cannot be had.
std::wstring describeCause(JNIEnv* env, const std::wstring& className) {
    const LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown) {
        return {};
    }
    env->ExceptionDescribe();
    const std::wstring text = stackTraceText(env, thrown.get());
    std::wstring firstLine = text.substr(0, text.find_first_of(L"\r\n"));
    trace("the VM said: ", firstLine);
    // The class's own absence, its name in either form, adds nothing.
    constexpr std::wstring_view kMissing = L"java.lang.NoClassDefFoundError: ";
    if (firstLine.starts_with(kMissing)) {
        std::wstring missing = firstLine.substr(kMissing.size());
        std::replace(missing.begin(), missing.end(), L'.', L'/');
        if (missing == className) {
            return {};
        }
    }
    return firstLine;
}

// Message `id` naming `name`, with the exception's words, if any, below it.
Failure classFailure(MessageId id, const std::wstring& name, const std::wstring& cause) {
    Failure failure{id, {name}, {}};
    if (!cause.empty()) {
        failure.cause.emplace_back(cause);
    }
    return failure;
}

std::wstring dotted(std::wstring name) {
    std::replace(name.begin(), name.end(), L'/', L'.');
    return name;
}

// The runtime's launcher helper, as "java" finds it; empty without one.
struct LauncherHelper {
    LocalRef<jclass> helperClass;
    jmethodID checkAndLoadMain = nullptr;
};

LauncherHelper findLauncherHelper(JNIEnv* env, FindClassFromBootLoaderFunction findClassFromBootLoader) {
    if (findClassFromBootLoader == nullptr) {
        return {};
    }
    LocalRef<jclass> helper(env, findClassFromBootLoader(env, "sun/launcher/LauncherHelper"));
    if (!helper || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    const jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper.get(), "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    return {std::move(helper), checkAndLoadMain};
}

// How main is called; the bits are those of the runtime's own launcher.
constexpr unsigned kWithoutArguments = 1;
constexpr unsigned kOnInstance = 2;

// What the helper found when it checked the class: Java 25's launcher calls
// an instance main and a main without String[] as well. A Java without the
// helper's flags (before 21) calls the static main with String[].
unsigned mainTypeOf(JNIEnv* env, jclass helper) {
    struct Flag {
        const char* field;
        bool whenSet;
        unsigned bit;
    };
    constexpr Flag kFlags[] = {{"isStaticMain", false, kOnInstance}, {"noArgMain", true, kWithoutArguments}};
    unsigned type = 0;
    for (const Flag& flag : kFlags) {
        const jfieldID field = env->GetStaticFieldID(helper, flag.field, "Z");
        if (field == nullptr || threw(env)) {
            env->ExceptionClear();
            continue;
        }
        if ((env->GetStaticBooleanField(helper, field) == JNI_TRUE) == flag.whenSet) {
            type |= flag.bit;
        }
    }
    return type;
}

// The class as the runtime's launcher helper loads it for "java", "java
// -jar" or "java -m"; empty when it cannot be asked.
LocalRef<jclass> loadThroughLauncherHelper(const MainInvocation& call, JNIEnv* env, const LauncherHelper& helper) {
    const LocalRef<jstring> what = newJavaString(env, call.what);
    if (!what || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    const HelperErrorCapture capture(env);
    LocalRef<jclass> mainClass(
        env, static_cast<jclass>(env->CallStaticObjectMethod(helper.helperClass.get(), helper.checkAndLoadMain,
                                                             JNI_TRUE, static_cast<jint>(call.mode), what.get())));
    if (threw(env)) {
        // The fallback says what is missing; the capture gives System.err
        // back through JNI, which no exception may be pending for.
        env->ExceptionClear();
        return {};
    }
    return mainClass;
}

// The class through plain JNI.
Result<LocalRef<jclass>> loadThroughFindClass(const MainInvocation& call, JNIEnv* env) {
    if (call.mainClassName.empty()) {
        // A jar or module without the helper: nothing names the class here.
        return classFailure(kMsgMainClassLoadFailed, call.what, {});
    }
    const LocalRef<jstring> name = newJavaString(env, call.mainClassName);
    if (!name || threw(env)) {
        // Described here: left pending, the VM would print it at detach as
        // if the application had thrown it.
        std::wstring cause = describeCause(env, call.mainClassName);
        return classFailure(kMsgMainClassLoadFailed, dotted(call.mainClassName), cause);
    }
    const char* characters = env->GetStringUTFChars(name.get(), nullptr);
    if (characters == nullptr || threw(env)) {
        env->ExceptionDescribe();
        return alreadyShown(L"the main class name could not be read (described on the Java error stream)");
    }
    LocalRef<jclass> mainClass(env, env->FindClass(characters));
    const bool found = mainClass && !threw(env);
    const std::wstring className = toWide(characters);
    std::wstring cause = found ? std::wstring() : describeCause(env, className);
    env->ReleaseStringUTFChars(name.get(), characters);
    if (!found) {
        return classFailure(kMsgMainClassNotFound, dotted(className), cause);
    }
    return mainClass;
}

// The runtime's launcher helper ends the VM with status 1, printing to a
// console a GUI launcher does not have, when the class is missing; its
// words then reach the message too, but the class's own failure (compiled for
// a newer Java, a class it needs missing) says more. So a class named in the
// settings is looked up first. Its main method is the helper's to judge: it
// knows which forms its Java calls and whether a JavaFX application needs none.
Result<void> checkMainClass(const MainInvocation& call, JNIEnv* env) {
    const LocalRef<jclass> mainClass(env, env->FindClass(toNarrow(call.mainClassName).c_str()));
    if (!mainClass || threw(env)) {
        std::wstring cause = describeCause(env, call.mainClassName);
        return classFailure(kMsgMainClassNotFound, dotted(call.mainClassName), cause);
    }
    return {};
}

// The class's own name with slashes, as FindClass takes it; empty when it
// cannot be told.
std::wstring slashedNameOf(JNIEnv* env, jclass cls) {
    const LocalRef<jclass> classClass(env, env->GetObjectClass(cls));
    const jmethodID getName = env->GetMethodID(classClass.get(), "getName", "()Ljava/lang/String;");
    const LocalRef<jstring> name(
        env, getName != nullptr && !threw(env) ? static_cast<jstring>(env->CallObjectMethod(cls, getName)) : nullptr);
    const char* characters = name && !threw(env) ? env->GetStringUTFChars(name.get(), nullptr) : nullptr;
    if (characters == nullptr || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    std::wstring result = fromModifiedUtf8(characters);
    env->ReleaseStringUTFChars(name.get(), characters);
    std::replace(result.begin(), result.end(), L'.', L'/');
    return result;
}

// Everything up to and including the call of main; its local references
// all go before the thread detaches.
Result<MainOutcome> callMain(JNIEnv* env, JavaVM* vm, const MainInvocation& call,
                             FindClassFromBootLoaderFunction findClassFromBootLoader, const MainHooks& hooks) {
    const LauncherHelper helper = findLauncherHelper(env, findClassFromBootLoader);
    if (call.mode == LaunchMode::Class) {
        if (auto checked = checkMainClass(call, env); !checked) {
            return checked.failure();
        }
    }
    LocalRef<jclass> mainClass;
    unsigned type = 0;
    if (helper.helperClass) {
        mainClass = loadThroughLauncherHelper(call, env, helper);
        if (mainClass && !threw(env)) {
            type = mainTypeOf(env, helper.helperClass.get());
        }
    }
    if (!mainClass || threw(env)) {
        env->ExceptionClear();
        auto found = loadThroughFindClass(call, env);
        if (!found) {
            return found.failure();
        }
        mainClass = std::move(*found);
        type = 0;
    }
    // The class as messages name it: the one in the settings, else the jar or module.
    const std::wstring className = dotted(call.mainClassName.empty() ? call.what : call.mainClassName);
    const char* signature = (type & kWithoutArguments) != 0 ? "()V" : kMainSignature;
    const jmethodID main = (type & kOnInstance) != 0 ? env->GetMethodID(mainClass.get(), "main", signature)
                                                     : env->GetStaticMethodID(mainClass.get(), "main", signature);
    if (main == nullptr || threw(env)) {
        // Not static, or not there: the message says so, not a stack trace.
        env->ExceptionClear();
        return classFailure(kMsgMainMethodNotFound, className, {});
    }
    const LocalRef<jobjectArray> arguments = newJavaStringArray(env, call.arguments);
    if (!arguments) {
        env->ExceptionDescribe();
        return alreadyShown(L"the arguments of main could not be made (described on the Java error stream)");
    }
    // From here on what the VM prints is the application's business.
    enterVmStage(VmStage::Running);
    if (hooks.starting) {
        // A jar or module names its class itself: forwarded launches go to
        // the class that runs, not to one the settings may not name.
        const std::wstring loaded = slashedNameOf(env, mainClass.get());
        hooks.starting(vm, loaded.empty() ? call.mainClassName : loaded);
    }
    // As the helper found it; the classic form without a helper.
    constexpr const char* kForms[] = {"static main(String[])", "static main()", "instance main(String[])",
                                      "instance main()"};
    trace("calling ", kForms[type], " of ", className, " with ", call.arguments.size(), " arguments");
    jvalue argument;
    argument.l = arguments.get();
    const jvalue* passed = (type & kWithoutArguments) != 0 ? nullptr : &argument;
    LocalRef<jobject> instance;
    if ((type & kOnInstance) != 0) {
        // As "java": on a new instance made by the constructor without parameters.
        const jmethodID constructor = env->GetMethodID(mainClass.get(), "<init>", "()V");
        if (constructor != nullptr && !threw(env)) {
            instance = LocalRef<jobject>(env, env->NewObject(mainClass.get(), constructor));
        }
        if (instance && !threw(env)) {
            env->CallVoidMethodA(instance.get(), main, passed);
        }
    } else {
        env->CallStaticVoidMethodA(mainClass.get(), main, passed);
    }

    const LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown) {
        trace("main returned");
        return MainOutcome::Returned;
    }
    trace("main threw an exception");
    if (hooks.uncaughtException) {
        hooks.uncaughtException();
    }
    if (call.failureCheck) {
        const std::wstring stackTrace = stackTraceText(env, thrown.get());
        if (!stackTrace.empty()) {
            if (showUncaughtExceptionDialog(stackTrace)) {
                exitJava(env);
            }
            trace("the user chose to ignore the exception");
            return MainOutcome::Returned;
        }
    }
    return MainOutcome::Threw;
}

}  // namespace

Result<MainOutcome> invokeMain(JNIEnv* env, JavaVM* vm, const MainInvocation& call,
                               FindClassFromBootLoaderFunction findClassFromBootLoader, const MainHooks& hooks) {
    Result<MainOutcome> called = callMain(env, vm, call, findClassFromBootLoader, hooks);
    enterVmStage(VmStage::Running);
    if (called && call.neverDetach) {
        sleepForever();
    }
    // A thread that ends still attached would keep DestroyJavaVM in the
    // teardown waiting for it for ever, so it detaches after a failure too.
    // An exception main left pending is printed by the VM now, on System.err.
    const bool detached = vm->DetachCurrentThread() == JNI_OK;
    if (!called || detached) {
        return called;
    }
    return alreadyShown(L"the main thread could not detach from the Java VM");
}

}  // namespace jlaunch
