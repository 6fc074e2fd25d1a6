#include "jvmhost/helper_errors.h"

#include "common/paths.h"
#include "jvmhost/redirection.h"
#include "jvmhost/vm_output.h"

namespace jlaunch {

namespace {

// A PrintStream over the file opened through java.nio, which opens Windows
// files sharing their deletion: the launcher can delete it even when the VM
// ends while the stream is still open (a FileOutputStream's file outlives
// the process then). Not DELETE_ON_CLOSE: elsewhere that unlinks the file
// at once, before the launcher could read it. Null, with no exception
// pending, on a runtime without java.nio.file.
LocalRef<jobject> openDeletedOnClose(JNIEnv* env, const std::wstring& file) {
    const LocalRef<jclass> paths(env, env->FindClass("java/nio/file/Paths"));
    const LocalRef<jclass> files(env, paths ? env->FindClass("java/nio/file/Files") : nullptr);
    const LocalRef<jclass> option(env, files ? env->FindClass("java/nio/file/StandardOpenOption") : nullptr);
    const LocalRef<jclass> string(env, option ? env->FindClass("java/lang/String") : nullptr);
    if (!string || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    const jmethodID get =
        env->GetStaticMethodID(paths.get(), "get", "(Ljava/lang/String;[Ljava/lang/String;)Ljava/nio/file/Path;");
    const jmethodID open =
        get != nullptr
            ? env->GetStaticMethodID(files.get(), "newOutputStream",
                                     "(Ljava/nio/file/Path;[Ljava/nio/file/OpenOption;)Ljava/io/OutputStream;")
            : nullptr;
    const LocalRef<jstring> name = open != nullptr ? newJavaString(env, file) : LocalRef<jstring>();
    const LocalRef<jobjectArray> noMore(env, name ? env->NewObjectArray(0, string.get(), nullptr) : nullptr);
    const LocalRef<jobjectArray> options(env, noMore ? env->NewObjectArray(2, option.get(), nullptr) : nullptr);
    if (!options || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    const char* const names[] = {"WRITE", "TRUNCATE_EXISTING"};
    for (jsize i = 0; i < 2; ++i) {
        const jfieldID field = env->GetStaticFieldID(option.get(), names[i], "Ljava/nio/file/StandardOpenOption;");
        const LocalRef<jobject> value(env, field != nullptr ? env->GetStaticObjectField(option.get(), field) : nullptr);
        if (!value || threw(env)) {
            env->ExceptionClear();
            return {};
        }
        env->SetObjectArrayElement(options.get(), i, value.get());
    }
    const LocalRef<jobject> path(env, env->CallStaticObjectMethod(paths.get(), get, name.get(), noMore.get()));
    const LocalRef<jobject> out(
        env, path && !threw(env) ? env->CallStaticObjectMethod(files.get(), open, path.get(), options.get()) : nullptr);
    LocalRef<jobject> printStream = out && !threw(env) ? newPrintStream(env, out.get()) : LocalRef<jobject>();
    if (!printStream || threw(env)) {
        env->ExceptionClear();
        return {};
    }
    return printStream;
}

}  // namespace

HelperErrorCapture::HelperErrorCapture(JNIEnv* env) : env_(env) {
    system_ = LocalRef<jclass>(env, env->FindClass("java/lang/System"));
    const jfieldID err = system_ ? env->GetStaticFieldID(system_.get(), "err", "Ljava/io/PrintStream;") : nullptr;
    setErr_ = err != nullptr ? env->GetStaticMethodID(system_.get(), "setErr", "(Ljava/io/PrintStream;)V") : nullptr;
    if (setErr_ == nullptr || threw(env)) {
        env->ExceptionClear();
        setErr_ = nullptr;
        return;
    }
    saved_ = LocalRef<jobject>(env, env->GetStaticObjectField(system_.get(), err));
    file_ = newTemporaryFile();
    const LocalRef<jobject> deletedOnClose = file_.empty() ? LocalRef<jobject>() : openDeletedOnClose(env, file_);
    const bool switched = deletedOnClose ? setJavaStream(env, deletedOnClose.get(), JavaStream::Error)
                                         : !file_.empty() && redirectStream(env, file_, false, JavaStream::Error);
    if (!switched) {
        env->ExceptionClear();
        if (!file_.empty()) {
            removeFile(file_);
        }
        return;
    }
    // Kept to be closed: Windows deletes no file that is still open.
    stream_ = LocalRef<jobject>(env, env->GetStaticObjectField(system_.get(), err));
    setHelperErrorFile(file_);
}

HelperErrorCapture::~HelperErrorCapture() {
    if (!stream_) {
        return;
    }
    // Refusals end the VM before this; on the way to success the helper says nothing.
    setHelperErrorFile({});
    env_->CallStaticVoidMethod(system_.get(), setErr_, saved_.get());
    env_->ExceptionClear();
    const LocalRef<jclass> printStreamClass(env_, env_->GetObjectClass(stream_.get()));
    const jmethodID close = env_->GetMethodID(printStreamClass.get(), "close", "()V");
    if (close != nullptr && !threw(env_)) {
        env_->CallVoidMethod(stream_.get(), close);
    }
    env_->ExceptionClear();
    removeFile(file_);
}

}  // namespace jlaunch
