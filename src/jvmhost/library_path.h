#pragma once
// The environment and native library path the Java application sees.
#include <optional>
#include <string>

#include "common/environment.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Sets KOV_JVM_PATH and KOV_JVM_HOME in `environment`, puts the runtime's
// folder at the end of the executable search path, and answers the
// "-Djava.library.path=" option when "Library Path" is set. The option
// sees the search path as it was before.
std::optional<std::wstring> setupLibraryPathAndEnvironment(const LauncherSettings& settings,
                                                           const std::wstring& jvmLibraryPath,
                                                           const std::wstring& executable, Environment& environment);

// The option text of "-Djava.library.path=", before expansion.
std::wstring libraryPathOption(const std::wstring& libraryPath, const std::wstring& launcherFolder,
                               const std::wstring& runtimeHome);

// The new search path, before expansion.
std::wstring searchPathValue(const std::wstring& systemPath, const std::wstring& runtimeBin);

// Platform: makes the runtime's library folder known to child processes.
void exportRuntimeLibraryFolder(const std::wstring& runtimeHome, Environment& environment);

}  // namespace jlaunch
