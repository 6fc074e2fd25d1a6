#include "jvmhost/redirection.h"

#include "common/paths.h"
#include "jvmhost/date_time_pattern.h"

namespace jlaunch {

LocalRef<jobject> newPrintStream(JNIEnv* env, jobject outputStream) {
    const LocalRef<jclass> printStreamClass(env, env->FindClass("java/io/PrintStream"));
    if (!printStreamClass || threw(env)) {
        return {};
    }
    const jmethodID constructor = env->GetMethodID(printStreamClass.get(), "<init>", "(Ljava/io/OutputStream;)V");
    if (constructor == nullptr || threw(env)) {
        return {};
    }
    return LocalRef<jobject>(env, env->NewObject(printStreamClass.get(), constructor, outputStream));
}

bool redirectStream(JNIEnv* env, const std::wstring& fileName, bool append, JavaStream stream) {
    // A relative name lies below the current folder, where the VM opens it.
    createParentFolders(absolutePath(fileName));
    const LocalRef<jstring> name = newJavaString(env, fileName);
    if (!name || threw(env)) {
        return false;
    }
    const LocalRef<jclass> fileStreamClass(env, env->FindClass("java/io/FileOutputStream"));
    if (!fileStreamClass || threw(env)) {
        return false;
    }
    const jmethodID fileStreamInit = env->GetMethodID(fileStreamClass.get(), "<init>", "(Ljava/lang/String;Z)V");
    if (fileStreamInit == nullptr || threw(env)) {
        return false;
    }
    const LocalRef<jobject> fileStream(
        env, env->NewObject(fileStreamClass.get(), fileStreamInit, name.get(), append ? JNI_TRUE : JNI_FALSE));
    if (!fileStream || threw(env)) {
        return false;
    }
    const LocalRef<jobject> printStream = newPrintStream(env, fileStream.get());
    if (!printStream || threw(env)) {
        return false;
    }
    const LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    if (!system || threw(env)) {
        return false;
    }
    const jmethodID setter = env->GetStaticMethodID(system.get(), stream == JavaStream::Output ? "setOut" : "setErr",
                                                    "(Ljava/io/PrintStream;)V");
    if (setter == nullptr || threw(env)) {
        return false;
    }
    env->CallStaticVoidMethod(system.get(), setter, printStream.get());
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

void applyRedirection(JNIEnv* env, Redirection output, Redirection error) {
    if (output.file.find(L'%') != std::wstring::npos || error.file.find(L'%') != std::wstring::npos) {
        // Both names carry the same moment.
        const LocalTime now = currentLocalTime();
        expandDateTimePattern(output.file, now);
        expandDateTimePattern(error.file, now);
    }
    const std::pair<const Redirection*, JavaStream> streams[] = {{&output, JavaStream::Output},
                                                                 {&error, JavaStream::Error}};
    for (const auto& [target, stream] : streams) {
        if (!target->file.empty() && !redirectStream(env, target->file, target->append, stream) &&
            env->ExceptionCheck()) {
            env->ExceptionDescribe();
        }
    }
}

}  // namespace jlaunch
