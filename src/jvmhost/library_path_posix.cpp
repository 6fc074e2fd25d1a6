#include "common/environment.h"
#include "common/system.h"
#include "jvmhost/library_path.h"

namespace jlaunch {

// Child processes the application starts find the runtime's libraries.
void exportRuntimeLibraryFolder(const std::wstring& runtimeHome) {
    std::wstring value = runtimeHome + L"lib";
    const auto current = environmentVariable(L"LD_LIBRARY_PATH");
    if (current && !current->empty()) {
        value += kPathListSeparator + *current;
    }
    setEnvironmentVariable(L"LD_LIBRARY_PATH", value);
}

}  // namespace jlaunch
