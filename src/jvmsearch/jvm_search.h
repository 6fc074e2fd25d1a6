#pragma once
// Chooses the Java VM library the launcher loads.
#include <optional>
#include <string>

#include "common/failure.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

struct JvmChoice {
    std::wstring jvmLibraryPath;
    // The chosen VM is 32-bit: the paired launcher runs it.
    bool startPairedLauncher = false;
    // Shown once, and the launch goes on: the folder the user chose could not
    // be remembered.
    std::optional<Failure> notice;
};

// Tries "JRE Path", the executable's folder (or its "jre64" folder), the
// installed runtimes, JAVA_HOME and finally asks the user, remembering the
// folder chosen. Nothing when the user cancelled.
std::optional<JvmChoice> searchJvm(const LauncherSettings& settings, const std::wstring& executable);

// True when the paired launcher is to run this VM library.
bool needsPairedLauncher(const LauncherSettings& settings, const std::wstring& jvmLibraryPath);

// Remembers the folder the user chose as "JRE Path" where the next launch
// (and the paired launcher's) will read it; the first write that failed, as
// message 233 with the file and the system's reason. The paired launcher's
// main settings file is written only beside an existing paired launcher.
std::optional<Failure> writeBackJrePath(const LauncherSettings& settings, const std::wstring& executable,
                                        const std::wstring& folder);

// The "not found" message for the settings' type and version range.
std::wstring jreNotFoundMessage(const LauncherSettings& settings);

}  // namespace jlaunch
