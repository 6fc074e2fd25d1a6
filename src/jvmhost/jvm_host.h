#pragma once
// Loads the Java VM library, creates the VM on the Java thread and runs the
// application there.
#include <jni.h>

#include <string>

namespace jlaunch {

class Launcher;

// Loads `jvmLibraryPath` and resolves its entry points; shows message 222
// or 202 and returns false when it cannot.
bool loadJvmLibrary(Launcher& launcher);

// Creates the VM and calls main on the Java thread, and waits for it:
// 0 on success, 1 on failure.
int startJavaThread(Launcher& launcher);

// The Java thread's work: create the VM, invoke main, and for a service
// destroy the VM again.
int runJavaThread(Launcher* launcher);

// Creates the VM with the launcher's options and the exit and abort hooks;
// shows message 203 when the VM refuses.
bool createJvm(Launcher& launcher);

// The reason text id of a JNI_CreateJavaVM result; 0 for none.
unsigned creationFailureReason(jint result);

}  // namespace jlaunch
