#include "jvmhost/exception_text.h"

#include "jvmhost/java_strings.h"
#include "jvmhost/redirection.h"

namespace jlaunch {

namespace {

void describePending(JNIEnv* env) {
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
    }
}

}  // namespace

std::wstring stackTraceText(JNIEnv* env, jthrowable throwable) {
    // The throwable is still pending: it must be cleared before other calls.
    env->ExceptionClear();
    const LocalRef<jclass> byteStreamClass(env, env->FindClass("java/io/ByteArrayOutputStream"));
    if (!byteStreamClass || threw(env)) {
        return {};
    }
    const jmethodID byteStreamInit = env->GetMethodID(byteStreamClass.get(), "<init>", "()V");
    if (byteStreamInit == nullptr || threw(env)) {
        return {};
    }
    const LocalRef<jobject> byteStream(env, env->NewObject(byteStreamClass.get(), byteStreamInit));
    if (!byteStream || threw(env)) {
        return {};
    }
    const LocalRef<jobject> printStream = newPrintStream(env, byteStream.get());
    if (!printStream || threw(env)) {
        return {};
    }
    const LocalRef<jclass> throwableClass(env, env->GetObjectClass(throwable));
    const jmethodID printStackTrace =
        throwableClass ? env->GetMethodID(throwableClass.get(), "printStackTrace", "(Ljava/io/PrintStream;)V")
                       : nullptr;
    if (printStackTrace == nullptr || threw(env)) {
        return {};
    }
    env->CallVoidMethod(throwable, printStackTrace, printStream.get());
    describePending(env);
    const jmethodID toString = env->GetMethodID(byteStreamClass.get(), "toString", "()Ljava/lang/String;");
    if (toString == nullptr || threw(env)) {
        return {};
    }
    const LocalRef<jstring> text(env, static_cast<jstring>(env->CallObjectMethod(byteStream.get(), toString)));
    describePending(env);
    if (!text || threw(env)) {
        return {};
    }
    const char* characters = env->GetStringUTFChars(text.get(), nullptr);
    if (characters == nullptr || threw(env)) {
        return {};
    }
    std::wstring result = fromModifiedUtf8(characters);
    env->ReleaseStringUTFChars(text.get(), characters);
    return result;
}

bool exitJava(JNIEnv* env) {
    const LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    if (!system || threw(env)) {
        return false;
    }
    const jmethodID exit = env->GetStaticMethodID(system.get(), "exit", "(I)V");
    if (exit == nullptr || threw(env)) {
        return false;
    }
    env->CallStaticVoidMethod(system.get(), exit, jint{-1});
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

}  // namespace jlaunch
