#pragma once
// The environment and native library path the Java application sees.
#include <optional>
#include <string>
#include <vector>

#include "common/environment.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Sets KOV_JVM_PATH and KOV_JVM_HOME in `environment`, puts the runtime's
// executables' folder at the end of the executable search path, and answers
// the "-Djava.library.path=" option when "Library Path" is set. The option
// sees the search path as it was before.
std::optional<std::wstring> setupLibraryPathAndEnvironment(const LauncherSettings& settings,
                                                           const std::wstring& jvmLibraryPath,
                                                           const std::wstring& executable, Environment& environment);

// The pieces joined with the list separator. Each piece may itself be a
// list; empty elements are left out, since one would stand for the current
// folder.
std::wstring joinSearchPath(const std::vector<std::wstring>& pieces);

// Where a runtime keeps what the search paths name, from its VM library.
struct RuntimeFolders {
    std::wstring executables;  // put on the executable search path
    std::wstring libraries;    // last in "-Djava.library.path="
};
RuntimeFolders runtimeFolders(const std::wstring& jvmLibraryPath);

// Platform: makes the runtime's library folder known to child processes.
void exportRuntimeLibraryFolder(const std::wstring& jvmLibraryPath, Environment& environment);

}  // namespace jlaunch
