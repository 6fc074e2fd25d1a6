#pragma once
// The runtime's launcher helper prints why it refuses a class, a jar or a
// module on the Java error stream and then ends the VM, which a GUI launcher
// has no console for. While it works, that stream goes to a temporary file
// that the launcher can read even as the VM ends.
#include <jni.h>

#include <string>

#include "jvmhost/java_strings.h"

namespace jlaunch {

class HelperErrorCapture {
public:
    // Points System.err at a new temporary file; when that cannot be done the
    // capture stays inactive and System.err as it was.
    explicit HelperErrorCapture(JNIEnv* env);
    // Gives System.err back and deletes the file.
    ~HelperErrorCapture();
    HelperErrorCapture(const HelperErrorCapture&) = delete;
    HelperErrorCapture& operator=(const HelperErrorCapture&) = delete;

private:
    JNIEnv* env_;
    LocalRef<jclass> system_;
    jmethodID setErr_ = nullptr;
    LocalRef<jobject> saved_;
    LocalRef<jobject> stream_;
    std::wstring file_;
};

}  // namespace jlaunch
