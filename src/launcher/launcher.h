#pragma once
// The one object of the process: it owns everything of the launch.
#include <jni.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jvmhost/jvm_library.h"
#include "launcher/errors.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Told when the Java VM exits or aborts; the launcher installs none.
class ExitObserver {
public:
    virtual ~ExitObserver() = default;
    ExitObserver() = default;
    ExitObserver(const ExitObserver&) = delete;
    ExitObserver& operator=(const ExitObserver&) = delete;
    virtual void onExit(jint code) = 0;
    virtual void onAbort() = 0;
};

class Launcher {
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // True when the run may start.
    bool initialize();
    // The process's exit code.
    std::int32_t run();

    // The one Launcher of the process, for the Java VM's hooks.
    static Launcher* instance() { return instance_; }

    ExitObserver* exitObserver = nullptr;
    LauncherSettings settings;
    std::vector<std::wstring> javaArguments;
    std::wstring jvmLibraryPath;
    // Owner of every message box: the splash window once there is one.
    WindowHandle splashWindowHandle = nullptr;
    bool startPairedLauncher = false;

    // The hosted VM.
    JvmEntryPoints jvm;
    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;  // the Java thread's
    std::vector<std::string> vmOptions;
    std::uint64_t javaThreadStackSize = 0;
    std::wstring outputFile;
    std::wstring errorFile;
    bool outputAppend = false;
    bool errorAppend = false;

private:
    static Launcher* instance_;
};

// The entry point's steps after the platform set-up: initialise, run, tear
// down; returns the exit code.
std::int32_t runLauncher();

}  // namespace jlaunch
