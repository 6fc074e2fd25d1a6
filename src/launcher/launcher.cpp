#include "launcher/launcher.h"

#include <algorithm>

#include "common/paths.h"
#include "common/system.h"
#include "settings/command_line.h"

namespace jlaunch {

Launcher* Launcher::instance_ = nullptr;

Launcher::Launcher() {
    instance_ = this;
}

Launcher::~Launcher() {
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
    // No Java VM can be chosen yet: the launch stops here, and says nothing
    // rather than pretend that a VM was found.
    return false;
}

std::int32_t Launcher::run() {
    // Only reached once a VM was chosen; without the hosting nothing can start it.
    return -1;
}

bool hasNoSplashArgument(const std::vector<std::wstring>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::wstring& a) { return a == L"-nosplash" || a == L"/nosplash"; });
}

std::int32_t runLauncher() {
    Launcher launcher;
    return launcher.initialize() ? launcher.run() : -1;
}

}  // namespace jlaunch
