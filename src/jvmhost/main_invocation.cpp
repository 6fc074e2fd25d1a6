#include "jvmhost/main_invocation.h"

#include <algorithm>

#include "common/text.h"
#include "common/thread.h"
#include "common/trace.h"
#include "jvmhost/exception_dialog.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/java_strings.h"

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
    std::wstring dotted = className;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    for (const std::wstring& name : {className, dotted}) {
        if (firstLine == L"java.lang.NoClassDefFoundError: " + name) {
            return {};
        }
    }
    return firstLine;
}

// A failure with the exception's words below the message.
Failure withCause(Failure failure, std::wstring cause) {
    if (!cause.empty()) {
        failure.cause.emplace_back(std::move(cause));
    }
    return failure;
}

// The class through the runtime's own launcher helper, as "java" loads it.
LocalRef<jclass> loadThroughLauncherHelper(const MainInvocation& call, JNIEnv* env,
                                           FindClassFromBootLoaderFunction findClassFromBootLoader) {
    if (findClassFromBootLoader == nullptr) {
        return {};
    }
    const LocalRef<jclass> helper(env, findClassFromBootLoader(env, "sun/launcher/LauncherHelper"));
    if (!helper || threw(env)) {
        return {};
    }
    const jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper.get(), "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr || threw(env)) {
        return {};
    }
    std::wstring dotted = call.mainClassName;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    const LocalRef<jstring> name = newJavaString(env, dotted);
    if (!name || threw(env)) {
        return {};
    }
    return LocalRef<jclass>(env, static_cast<jclass>(env->CallStaticObjectMethod(helper.get(), checkAndLoadMain,
                                                                                 JNI_TRUE, jint{1}, name.get())));
}

// The class through plain JNI.
Result<LocalRef<jclass>> loadThroughFindClass(const MainInvocation& call, JNIEnv* env) {
    const LocalRef<jstring> name = newJavaString(env, call.mainClassName);
    if (!name || threw(env)) {
        // Described here: left pending, the VM would print it at detach as
        // if the application had thrown it.
        std::wstring cause = describeCause(env, call.mainClassName);
        return withCause(Failure{kMsgMainClassLoadFailed, {call.mainClassName}, {}}, std::move(cause));
    }
    const char* characters = env->GetStringUTFChars(name.get(), nullptr);
    if (characters == nullptr || threw(env)) {
        env->ExceptionDescribe();
        return Failure{};
    }
    LocalRef<jclass> mainClass(env, env->FindClass(characters));
    const bool found = mainClass && !threw(env);
    const std::wstring className = toWide(characters);
    std::wstring cause = found ? std::wstring() : describeCause(env, className);
    env->ReleaseStringUTFChars(name.get(), characters);
    if (!found) {
        return withCause(Failure{kMsgMainClassNotFound, {className}, {}}, std::move(cause));
    }
    return mainClass;
}

// The runtime's launcher helper ends the VM with status 1, printing to a
// console a GUI launcher does not have, when the class or its main is
// missing. So the launcher checks both first and says so itself.
Result<void> checkMainClass(const MainInvocation& call, JNIEnv* env) {
    const LocalRef<jclass> mainClass(env, env->FindClass(toNarrow(call.mainClassName).c_str()));
    if (!mainClass || threw(env)) {
        // The cause is more than "not found" when the class exists but was
        // compiled for a newer Java, or a class it needs is missing.
        std::wstring cause = describeCause(env, call.mainClassName);
        return withCause(Failure{kMsgMainClassNotFound, {call.mainClassName}, {}}, std::move(cause));
    }
    if (env->GetStaticMethodID(mainClass.get(), "main", kMainSignature) == nullptr || threw(env)) {
        env->ExceptionClear();
        return Failure{kMsgMainMethodNotFound, {}, {}};
    }
    return {};
}

// Everything up to and including the call of main; its local references
// all go before the thread detaches.
Result<MainOutcome> callMain(JNIEnv* env, JavaVM* vm, const MainInvocation& call,
                             FindClassFromBootLoaderFunction findClassFromBootLoader, const MainHooks& hooks) {
    if (auto checked = checkMainClass(call, env); !checked) {
        return checked.failure();
    }
    LocalRef<jclass> mainClass = loadThroughLauncherHelper(call, env, findClassFromBootLoader);
    if (!mainClass || threw(env)) {
        env->ExceptionClear();
        auto found = loadThroughFindClass(call, env);
        if (!found) {
            return found.failure();
        }
        mainClass = std::move(*found);
    }
    const jmethodID main = env->GetStaticMethodID(mainClass.get(), "main", kMainSignature);
    if (main == nullptr || threw(env)) {
        if (env->ExceptionCheck()) {
            env->ExceptionDescribe();
            return Failure{};
        }
        return Failure{kMsgMainMethodNotFound, {}, {}};
    }
    const LocalRef<jobjectArray> arguments = newJavaStringArray(env, call.arguments);
    if (!arguments) {
        env->ExceptionDescribe();
        return Failure{};
    }
    if (hooks.starting) {
        hooks.starting(vm);
    }
    trace("calling main of ", call.mainClassName, " with ", call.arguments.size(), " arguments");
    env->CallStaticVoidMethod(mainClass.get(), main, arguments.get());

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
    return Failure{};
}

}  // namespace jlaunch
