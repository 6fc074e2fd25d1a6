#pragma once
// Finds the main class and calls its main method on the Java thread.
#include <jni.h>

#include <functional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "jvmhost/jvm_library.h"

namespace jlaunch {

// How the runtime's launcher helper finds the class, as "java" does for a
// class name, "-jar" and "-m"; the values are the helper's own.
enum class LaunchMode { Class = 1, Jar = 2, Module = 3 };

struct MainInvocation {
    LaunchMode mode = LaunchMode::Class;
    // What the helper is given: the class with dots, the jar's absolute
    // path, or "module" or "module/class".
    std::wstring what;
    std::wstring mainClassName;  // with slashes; may be empty with a jar or module
    std::vector<std::wstring> arguments;
    // Show an uncaught exception of main in the exception dialog.
    bool failureCheck = false;
    // With an IBM VM accepted and preferred, the Java thread never ends
    // after main: only the application's own exit ends the process.
    bool neverDetach = false;

    bool operator==(const MainInvocation&) const = default;
};

// What the launcher is told on the Java thread around main; either may be empty.
struct MainHooks {
    // Main is about to be called in `vm`, of the class named (with slashes)
    // `mainClass`: the one the launcher helper returned, or else the
    // settings' "Main Class".
    std::function<void(JavaVM* vm, const std::wstring& mainClass)> starting;
    // Main ended with an exception, before the exception dialog may show it.
    std::function<void()> uncaughtException;
};

// How main ended. As with the Java runtime's own launcher, an exception it
// threw (and the user did not ignore) makes the process end with 1.
enum class MainOutcome { Returned, Threw };

// Calls main on the calling thread, attached as `env`, and detaches it after.
// main is called as the runtime's own launcher calls it: static or on a new
// instance, with or without the String[] (Java 25's helper tells which).
// Fails before main with message 211, 215 (each with the exception's own
// words below it) or 216, or with nothing to show when the VM described the
// exception itself; after main, fails with nothing to show when the thread
// could not detach. An exception of main is left to the VM, which prints it
// on the Java error stream when the thread detaches.
Result<MainOutcome> invokeMain(JNIEnv* env, JavaVM* vm, const MainInvocation& call,
                               FindClassFromBootLoaderFunction findClassFromBootLoader, const MainHooks& hooks = {});

}  // namespace jlaunch
