#include "jvmhost/helper_errors.h"

#include "common/paths.h"
#include "jvmhost/redirection.h"
#include "jvmhost/vm_output.h"

namespace jlaunch {

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
    if (file_.empty() || !redirectStream(env, file_, false, JavaStream::Error)) {
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
