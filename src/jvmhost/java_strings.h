#pragma once
// Java strings and string arrays made from the launcher's text, and an
// owner for JNI local references.
#include <jni.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/utf8_text.h"

namespace jlaunch {

// Deletes `ref` unless it is null; one body out of line for every LocalRef.
void deleteLocalRef(JNIEnv* env, jobject ref) noexcept;

// Deletes its local reference when it goes; must not outlive the thread's
// attachment to the VM.
template <typename T = jobject>
class LocalRef {
public:
    LocalRef() = default;
    LocalRef(JNIEnv* env, T ref) noexcept : env_(env), ref_(ref) {}
    ~LocalRef() { deleteLocalRef(env_, ref_); }
    LocalRef(LocalRef&& other) noexcept : env_(other.env_), ref_(std::exchange(other.ref_, nullptr)) {}
    LocalRef& operator=(LocalRef&& other) noexcept {
        if (this != &other) {
            reset();
            env_ = other.env_;
            ref_ = std::exchange(other.ref_, nullptr);
        }
        return *this;
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;

    T get() const noexcept { return ref_; }
    explicit operator bool() const noexcept { return ref_ != nullptr; }
    void reset() noexcept {
        deleteLocalRef(env_, ref_);
        ref_ = nullptr;
    }

private:
    JNIEnv* env_ = nullptr;
    T ref_ = nullptr;
};

// True when the call just made left an exception pending. The VM's JNI
// checks want this asked after every call that may throw, before the next.
inline bool threw(JNIEnv* env) {
    return env->ExceptionCheck() == JNI_TRUE;
}

// Text the VM hands out in its modified UTF-8 (surrogates encoded one by
// one, NUL as two bytes), decoded whole rather than read as ANSI text, so
// messages in any language survive.
std::wstring fromModifiedUtf8(const char* text);

// A new java.lang.String built from the UTF-16 units through String(char[]),
// so every character arrives unchanged; null on failure.
LocalRef<jstring> newJavaString(JNIEnv* env, std::wstring_view text);

// A new String[] of the texts; null on failure.
LocalRef<jobjectArray> newJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts);

}  // namespace jlaunch
