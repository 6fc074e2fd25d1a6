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

namespace {

// A PrintStream over the file, created with its folders; null (an exception
// may be pending) when it cannot be opened.
LocalRef<jobject> openPrintStream(JNIEnv* env, const std::wstring& fileName, bool append) {
    // A relative name lies below the current folder, where the VM opens it.
    createParentFolders(absolutePath(fileName));
    const LocalRef<jstring> name = newJavaString(env, fileName);
    if (!name || threw(env)) {
        return {};
    }
    const LocalRef<jclass> fileStreamClass(env, env->FindClass("java/io/FileOutputStream"));
    if (!fileStreamClass || threw(env)) {
        return {};
    }
    const jmethodID fileStreamInit = env->GetMethodID(fileStreamClass.get(), "<init>", "(Ljava/lang/String;Z)V");
    if (fileStreamInit == nullptr || threw(env)) {
        return {};
    }
    const LocalRef<jobject> fileStream(
        env, env->NewObject(fileStreamClass.get(), fileStreamInit, name.get(), append ? JNI_TRUE : JNI_FALSE));
    if (!fileStream || threw(env)) {
        return {};
    }
    LocalRef<jobject> printStream = newPrintStream(env, fileStream.get());
    if (!printStream || threw(env)) {
        return {};
    }
    return printStream;
}

}  // namespace

bool setJavaStream(JNIEnv* env, jobject printStream, JavaStream stream) {
    const LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    if (!system || threw(env)) {
        return false;
    }
    const jmethodID setter = env->GetStaticMethodID(system.get(), stream == JavaStream::Output ? "setOut" : "setErr",
                                                    "(Ljava/io/PrintStream;)V");
    if (setter == nullptr || threw(env)) {
        return false;
    }
    env->CallStaticVoidMethod(system.get(), setter, printStream);
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

namespace {

void describeFailure(JNIEnv* env) {
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
    }
}

}  // namespace

bool redirectStream(JNIEnv* env, const std::wstring& fileName, bool append, JavaStream stream) {
    const LocalRef<jobject> printStream = openPrintStream(env, fileName, append);
    return printStream && setJavaStream(env, printStream.get(), stream);
}

void applyRedirection(JNIEnv* env, Redirection output, Redirection error) {
    if (output.file.find(L'%') != std::wstring::npos || error.file.find(L'%') != std::wstring::npos) {
        // Both names carry the same moment.
        const LocalTime now = currentLocalTime();
        expandDateTimePattern(output.file, now);
        expandDateTimePattern(error.file, now);
    }
    LocalRef<jobject> outputStream;
    if (!output.file.empty()) {
        outputStream = openPrintStream(env, output.file, output.append);
        if (!outputStream || !setJavaStream(env, outputStream.get(), JavaStream::Output)) {
            outputStream = {};
            describeFailure(env);
        }
    }
    if (error.file.empty()) {
        return;
    }
    // Two streams truncating and overwriting one file lose each other's
    // lines: one file gets one stream, as a shell's ">f 2>&1" does.
    if (outputStream && sameExistingFile(absolutePath(output.file), absolutePath(error.file))) {
        if (!setJavaStream(env, outputStream.get(), JavaStream::Error)) {
            describeFailure(env);
        }
        return;
    }
    if (!redirectStream(env, error.file, error.append, JavaStream::Error)) {
        describeFailure(env);
    }
}

}  // namespace jlaunch
