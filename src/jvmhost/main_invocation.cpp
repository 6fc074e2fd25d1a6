#include "jvmhost/main_invocation.h"

#include <algorithm>

#include "common/text.h"
#include "common/thread.h"
#include "jvmhost/exception_dialog.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/java_strings.h"

namespace jlaunch {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

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
        // The message says it; left pending, the VM would print it at detach
        // as if the application had thrown it.
        env->ExceptionClear();
        return Failure{kMsgMainClassLoadFailed, {call.mainClassName}, {}};
    }
    const char* characters = env->GetStringUTFChars(name.get(), nullptr);
    if (characters == nullptr || threw(env)) {
        env->ExceptionDescribe();
        return Failure{};
    }
    LocalRef<jclass> mainClass(env, env->FindClass(characters));
    const bool found = mainClass && !threw(env);
    if (!found) {
        env->ExceptionDescribe();
    }
    const std::wstring className = toWide(characters);
    env->ReleaseStringUTFChars(name.get(), characters);
    if (!found) {
        return Failure{kMsgMainClassNotFound, {className}, {}};
    }
    return mainClass;
}

// The runtime's launcher helper ends the VM with status 1, printing to a
// console a GUI launcher does not have, when the class or its main is
// missing. So the launcher checks both first and says so itself.
Result<void> checkMainClass(const MainInvocation& call, JNIEnv* env) {
    const LocalRef<jclass> mainClass(env, env->FindClass(toNarrow(call.mainClassName).c_str()));
    if (!mainClass || threw(env)) {
        env->ExceptionClear();
        return Failure{kMsgMainClassNotFound, {call.mainClassName}, {}};
    }
    if (env->GetStaticMethodID(mainClass.get(), "main", kMainSignature) == nullptr || threw(env)) {
        env->ExceptionClear();
        return Failure{kMsgMainMethodNotFound, {}, {}};
    }
    return {};
}

// Everything up to and including the call of main; its local references
// all go before the thread detaches.
Result<void> callMain(JNIEnv* env, const MainInvocation& call, FindClassFromBootLoaderFunction findClassFromBootLoader,
                      const UncaughtExceptionHook& beforeExceptionDialog) {
    if (auto checked = checkMainClass(call, env); !checked) {
        return checked;
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
    env->CallStaticVoidMethod(mainClass.get(), main, arguments.get());

    const LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (thrown && beforeExceptionDialog) {
        beforeExceptionDialog();
    }
    if (thrown && call.failureCheck) {
        const std::wstring trace = stackTraceText(env, thrown.get());
        if (!trace.empty() && showUncaughtExceptionDialog(trace)) {
            exitJava(env);
        }
    }
    return {};
}

}  // namespace

Result<void> invokeMain(JNIEnv* env, JavaVM* vm, const MainInvocation& call,
                        FindClassFromBootLoaderFunction findClassFromBootLoader,
                        const UncaughtExceptionHook& beforeExceptionDialog) {
    Result<void> called = callMain(env, call, findClassFromBootLoader, beforeExceptionDialog);
    if (called && call.neverDetach) {
        sleepForever();
    }
    // A thread that ends still attached would keep DestroyJavaVM in the
    // teardown waiting for it for ever, so it detaches after a failure too.
    const bool detached = vm->DetachCurrentThread() == JNI_OK;
    if (!called) {
        return called;
    }
    return detached ? Result<void>() : Result<void>(Failure{});
}

}  // namespace jlaunch
