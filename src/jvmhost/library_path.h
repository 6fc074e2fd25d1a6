#pragma once
// The environment and native library path the Java application sees.
#include <string>

namespace jlaunch {

class Launcher;

// Sets KOV_JVM_PATH and KOV_JVM_HOME, puts the runtime's folder at the end
// of the executable search path, and adds "-Djava.library.path=" when
// "Library Path" is set. Nothing is reported.
void setupLibraryPathAndEnvironment(Launcher& launcher);

// The option text of "-Djava.library.path=", before expansion.
std::wstring libraryPathOption(const std::wstring& libraryPath, const std::wstring& launcherFolder,
                               const std::wstring& runtimeHome);

// The new search path, before expansion.
std::wstring searchPathValue(const std::wstring& systemPath, const std::wstring& runtimeBin);

// Platform: makes the runtime's library folder known to child processes.
void exportRuntimeLibraryFolder(const std::wstring& runtimeHome);

}  // namespace jlaunch
