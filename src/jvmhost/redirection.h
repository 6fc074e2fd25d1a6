#pragma once
// Sends the Java standard output and error streams to files.
#include <jni.h>

#include <string>

#include "jvmhost/java_strings.h"
#include "jvmhost/vm_options.h"

namespace jlaunch {

enum class JavaStream { Output, Error };

// A java.io.PrintStream over `outputStream`, without automatic flushing.
LocalRef<jobject> newPrintStream(JNIEnv* env, jobject outputStream);

// Switches System.out or System.err to `printStream`; true when it was switched.
bool setJavaStream(JNIEnv* env, jobject printStream, JavaStream stream);

// Switches System.out or System.err to the file; true when it was switched.
bool redirectStream(JNIEnv* env, const std::wstring& fileName, bool append, JavaStream stream);

// The configured redirections, with the launch time put into the names;
// failures are described on the Java error stream and the launch goes on.
void applyRedirection(JNIEnv* env, Redirection output, Redirection error);

}  // namespace jlaunch
