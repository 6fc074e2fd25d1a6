#pragma once
// Chooses the Java VM library the launcher loads.
#include <optional>
#include <string>

#include "settings/launcher_settings.h"

namespace jlaunch {

struct JvmChoice {
    std::wstring jvmLibraryPath;
    // The chosen VM is 32-bit: the paired launcher runs it.
    bool startPairedLauncher = false;
};

// Tries "JRE Path", the executable's folder (or its "jre64" folder), the
// installed runtimes, JAVA_HOME and finally asks the user, remembering the
// folder chosen. Nothing when the user cancelled.
std::optional<JvmChoice> searchJvm(const LauncherSettings& settings, const std::wstring& executable);

// True when the paired launcher is to run this VM library.
bool needsPairedLauncher(const LauncherSettings& settings, const std::wstring& jvmLibraryPath);

// Remembers the folder the user chose as "JRE Path" where the next launch
// (and the paired launcher's) will read it.
void writeBackJrePath(const LauncherSettings& settings, const std::wstring& executable, const std::wstring& folder);

// The "not found" message for the settings' type and version range.
std::wstring jreNotFoundMessage(const LauncherSettings& settings);

}  // namespace jlaunch
