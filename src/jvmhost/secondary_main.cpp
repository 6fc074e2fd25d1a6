#include "jvmhost/secondary_main.h"

#include "common/text.h"
#include "jvmhost/java_strings.h"

namespace jlaunch {

namespace {

SecondaryMainOutcome callOnAttachedThread(JNIEnv* env, const std::wstring& mainClassName,
                                          const std::vector<std::wstring>& arguments,
                                          const std::function<void(std::int32_t)>& answer) {
    const LocalRef<jclass> mainClass(env, env->FindClass(toNarrow(mainClassName).c_str()));
    if (!mainClass || threw(env)) {
        env->ExceptionClear();
        return SecondaryMainOutcome::Failed;
    }
    bool returnsInt = false;
    jmethodID method = env->GetStaticMethodID(mainClass.get(), "secondaryMain", "([Ljava/lang/String;)V");
    if (method == nullptr || threw(env)) {
        env->ExceptionClear();
        returnsInt = true;
        method = env->GetStaticMethodID(mainClass.get(), "secondaryMain", "([Ljava/lang/String;)I");
        if (method == nullptr || threw(env)) {
            // Its NoSuchMethodError says nothing the application did wrong.
            env->ExceptionClear();
            return SecondaryMainOutcome::Missing;
        }
    }
    const LocalRef<jobjectArray> array = newJavaStringArray(env, arguments);
    if (!array || threw(env)) {
        if (env->ExceptionCheck()) {
            env->ExceptionDescribe();
        }
        return SecondaryMainOutcome::Failed;
    }
    if (returnsInt) {
        const jint result = env->CallStaticIntMethod(mainClass.get(), method, array.get());
        // An exception is no result: 0 would tell the second launch it went well.
        answer(threw(env) ? -1 : result);
    } else {
        // The second launch need not wait for the application's work.
        answer(0);
        env->CallStaticVoidMethod(mainClass.get(), method, array.get());
    }
    if (threw(env)) {
        env->ExceptionDescribe();
        return SecondaryMainOutcome::Failed;
    }
    return SecondaryMainOutcome::Served;
}

}  // namespace

SecondaryMainOutcome callSecondaryMain(JavaVM* vm, const std::wstring& mainClassName, bool stayAttached,
                                       const std::vector<std::wstring>& arguments,
                                       const std::function<void(std::int32_t)>& answer) {
    if (vm == nullptr) {
        return SecondaryMainOutcome::Failed;
    }
    void* env = nullptr;
    if (vm->AttachCurrentThread(&env, nullptr) != JNI_OK || env == nullptr) {
        return SecondaryMainOutcome::Failed;
    }
    const SecondaryMainOutcome served =
        callOnAttachedThread(static_cast<JNIEnv*>(env), mainClassName, arguments, answer);
    if (!stayAttached) {
        vm->DetachCurrentThread();
    }
    return served;
}

}  // namespace jlaunch
