#include "common/paths.h"
#include "jvmhost/library_path.h"

namespace jlaunch {

namespace {

// The home holds lib/<vm>/libjvm.so, or for Java 8 jre/lib/amd64/<vm>/libjvm.so.
std::wstring runtimeHome(const std::wstring& jvmLibraryPath) {
    const auto lib = jvmLibraryPath.rfind(L"/lib/");
    return lib == std::wstring::npos ? parentPath(jvmLibraryPath, 3) : jvmLibraryPath.substr(0, lib);
}

}  // namespace

// The runtime's programs are in bin, as on Windows; its libraries are in lib,
// where only the dynamic loader looks, so the executable search path gets bin.
RuntimeFolders runtimeFolders(const std::wstring& jvmLibraryPath) {
    const std::wstring home = runtimeHome(jvmLibraryPath);
    return {home + L"/bin", home + L"/lib"};
}

// Child processes the application starts find the runtime's libraries: the
// folder that holds the VM folders.
void exportRuntimeLibraryFolder(const std::wstring& jvmLibraryPath, Environment& environment) {
    environment.set(L"LD_LIBRARY_PATH", joinSearchPath({parentPath(jvmLibraryPath, 2),
                                                        environment.get(L"LD_LIBRARY_PATH").value_or(std::wstring())}));
}

}  // namespace jlaunch
