#include "launcher/launcher.h"

#include "common/paths.h"
#include "common/system.h"
#include "jvmhost/jvm_host.h"
#include "jvmhost/library_path.h"
#include "jvmhost/vm_options.h"
#include "jvmsearch/jvm_search.h"
#include "launcher/run_modes.h"
#include "settings/command_line.h"

namespace jlaunch {

Launcher* Launcher::instance_ = nullptr;

Launcher::Launcher() {
    instance_ = this;
}

Launcher::~Launcher() {
    if (javaVm != nullptr) {
        // Returns once the application's non-daemon threads (its windows) have ended.
        javaVm->DestroyJavaVM();
        javaVm = nullptr;
    }
    instance_ = nullptr;
}

bool Launcher::initialize() {
    javaArguments = parseCommandLine();
    if (!readLauncherSettings(settings)) {
        return false;
    }
    if (settings.overrideWorkingDir) {
        std::uint32_t error = 0;
        if (const auto executable = executablePath(error)) {
            setCurrentFolder(parentPath(*executable, 1));
        } else {
            showSystemError(splashWindowHandle, kMsgModulePathFailed, error);
        }
    }
    JvmChoice choice;
    if (!searchJvm(settings, choice)) {
        return false;
    }
    jvmLibraryPath = std::move(choice.jvmLibraryPath);
    startPairedLauncher = choice.startPairedLauncher;
    return true;
}

std::int32_t Launcher::run() {
    if (startPairedLauncher) {
        return startPairedLauncherProcess(settings.pairProduct, settings.pairReturnCode);
    }
    setupLibraryPathAndEnvironment(*this);
    if (!loadJvmLibrary(*this)) {
        return -1;
    }
    // Without a class path the VM still starts, and the main class lookup
    // reports what is missing.
    assembleVmOptions(*this);
    return startJavaThread(*this) == 0 ? 0 : -1;
}

std::int32_t runLauncher() {
    Launcher launcher;
    return launcher.initialize() ? launcher.run() : -1;
}

}  // namespace jlaunch
