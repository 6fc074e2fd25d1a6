#pragma once
// The text of an uncaught exception, and ending the VM.
#include <jni.h>

#include <string>

namespace jlaunch {

// What the throwable's printStackTrace prints; empty on any failure.
std::wstring stackTraceText(JNIEnv* env, jthrowable throwable);

// Ends the VM, and with it the process, through System.exit(-1); false when
// that method cannot be called.
bool exitJava(JNIEnv* env);

}  // namespace jlaunch
