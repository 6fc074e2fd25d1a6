#pragma once
// Tests a folder for a Java runtime and finds the VM library inside it.
#include <string>
#include <string_view>
#include <vector>

#include "settings/launcher_settings.h"

namespace jlaunch {

struct JvmLibrary {
    std::wstring path;  // full path of the VM library; empty when none was found
    bool isServerVm = false;
};

// The path with a folder separator at its end.
std::wstring withTrailingSeparator(std::wstring path);

// True when the home holds the runtime's core library (bin\java.dll).
bool hasJavaRuntime(const std::wstring& home);

// True when the home holds the Java compiler: a JDK rather than a JRE.
bool hasJavaCompiler(const std::wstring& home);

// The first VM library of the home in the order the type asks for.
JvmLibrary findJvmLibrary(const std::wstring& home, JvmType type);

// VM folder names in the order a type tries them.
std::vector<std::wstring_view> vmFolderOrder(JvmType type);

// This platform's layout, relative to a home that ends with a separator:
// the files that mark a Java runtime, and where the VM library of one VM
// folder may lie.
std::vector<std::wstring> javaRuntimeMarkers();
std::wstring javaCompilerLocation();
std::vector<std::wstring> vmLibraryLocations(std::wstring_view vmFolder);

}  // namespace jlaunch
