#include "jvmhost/library_path.h"

namespace jlaunch {

// Windows finds the runtime's DLLs through Path.
void exportRuntimeLibraryFolder(const std::wstring& /*runtimeHome*/, Environment& /*environment*/) {}

}  // namespace jlaunch
