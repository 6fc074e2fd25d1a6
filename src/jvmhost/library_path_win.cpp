#include "common/paths.h"
#include "jvmhost/library_path.h"

namespace jlaunch {

// bin\server\jvm.dll: the runtime's DLLs are in bin, which Windows finds through Path.
RuntimeFolders runtimeFolders(const std::wstring& jvmLibraryPath) {
    return {parentPath(jvmLibraryPath, 2), parentPath(jvmLibraryPath, 3) + L"\\lib"};
}

void exportRuntimeLibraryFolder(const std::wstring& /*jvmLibraryPath*/, Environment& /*environment*/) {}

}  // namespace jlaunch
