#include "jvmhost/main_invocation.h"

#include <algorithm>

#include "common/text.h"
#include "common/thread.h"
#include "jvmhost/exception_dialog.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/java_strings.h"
#include "launcher/errors.h"
#include "launcher/launcher.h"

namespace jlaunch {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

// The class through the runtime's own launcher helper, as "java" loads it.
LocalRef<jclass> loadThroughLauncherHelper(const Launcher& launcher, JNIEnv* env) {
    if (launcher.jvm.findClassFromBootLoader == nullptr) {
        return {};
    }
    const LocalRef<jclass> helper(env, launcher.jvm.findClassFromBootLoader(env, "sun/launcher/LauncherHelper"));
    if (!helper || threw(env)) {
        return {};
    }
    const jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper.get(), "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr || threw(env)) {
        return {};
    }
    std::wstring dotted = launcher.settings.mainClassName;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    const LocalRef<jstring> name = newJavaString(env, dotted);
    if (!name || threw(env)) {
        return {};
    }
    return LocalRef<jclass>(env, static_cast<jclass>(env->CallStaticObjectMethod(helper.get(), checkAndLoadMain,
                                                                                 JNI_TRUE, jint{1}, name.get())));
}

// The class through plain JNI; shows the message of a failure.
LocalRef<jclass> loadThroughFindClass(const Launcher& launcher, JNIEnv* env) {
    const std::wstring& className = launcher.settings.mainClassName;
    const LocalRef<jstring> name = newJavaString(env, className);
    if (!name || threw(env)) {
        // The message says it; left pending, the VM would print it at detach
        // as if the application had thrown it.
        env->ExceptionClear();
        showError(launcher.splashWindowHandle, formatText(kMsgMainClassLoadFailed, {className}));
        return {};
    }
    const char* characters = env->GetStringUTFChars(name.get(), nullptr);
    if (characters == nullptr || threw(env)) {
        env->ExceptionDescribe();
        return {};
    }
    LocalRef<jclass> mainClass(env, env->FindClass(characters));
    if (!mainClass || threw(env)) {
        env->ExceptionDescribe();
        showError(launcher.splashWindowHandle, formatText(kMsgMainClassNotFound, {toWide(characters)}));
    }
    env->ReleaseStringUTFChars(name.get(), characters);
    return mainClass;
}

// The runtime's launcher helper ends the VM with status 1, printing to a
// console a GUI launcher does not have, when the class or its main is
// missing. So the launcher checks both first and says so itself.
bool checkMainClass(const Launcher& launcher, JNIEnv* env) {
    const std::wstring& className = launcher.settings.mainClassName;
    const LocalRef<jclass> mainClass(env, env->FindClass(toNarrow(className).c_str()));
    if (!mainClass || threw(env)) {
        env->ExceptionClear();
        showError(launcher.splashWindowHandle, formatText(kMsgMainClassNotFound, {className}));
        return false;
    }
    if (env->GetStaticMethodID(mainClass.get(), "main", kMainSignature) == nullptr || threw(env)) {
        env->ExceptionClear();
        showError(launcher.splashWindowHandle, kMsgMainMethodNotFound);
        return false;
    }
    return true;
}

bool acceptsAndPrefersIbm(const Launcher& launcher) {
    return launcher.settings.vmProvider.acceptIbm && launcher.settings.vmProvider.preferIbm;
}

}  // namespace

bool invokeMain(Launcher& launcher) {
    JNIEnv* env = launcher.jniEnv;
    {
        if (!checkMainClass(launcher, env)) {
            return false;
        }
        LocalRef<jclass> mainClass = loadThroughLauncherHelper(launcher, env);
        if (!mainClass || threw(env)) {
            env->ExceptionClear();
            mainClass = loadThroughFindClass(launcher, env);
            if (!mainClass || threw(env)) {
                return false;
            }
        }
        const jmethodID main = env->GetStaticMethodID(mainClass.get(), "main", kMainSignature);
        if (main == nullptr || threw(env)) {
            if (env->ExceptionCheck()) {
                env->ExceptionDescribe();
            } else {
                showError(launcher.splashWindowHandle, kMsgMainMethodNotFound);
            }
            return false;
        }
        const LocalRef<jobjectArray> arguments = newJavaStringArray(env, launcher.javaArguments);
        if (!arguments) {
            env->ExceptionDescribe();
            return false;
        }
        env->CallStaticVoidMethod(mainClass.get(), main, arguments.get());

        const LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
        if (thrown && launcher.settings.failureCheck) {
            const std::wstring trace = stackTraceText(env, thrown.get());
            if (!trace.empty() && showUncaughtExceptionDialog(trace)) {
                exitJava(env);
            }
        }
    }  // every local reference goes before the thread detaches
    if (acceptsAndPrefersIbm(launcher)) {
        sleepForever();
    }
    return launcher.javaVm->DetachCurrentThread() == JNI_OK;
}

}  // namespace jlaunch
