#include "jvmhost/library_path.h"

namespace jlaunch {

// Child processes the application starts find the runtime's libraries.
void exportRuntimeLibraryFolder(const std::wstring& runtimeHome, Environment& environment) {
    std::wstring value = runtimeHome + L"lib";
    const auto current = environment.get(L"LD_LIBRARY_PATH");
    if (current && !current->empty()) {
        value += kPathListSeparator + *current;
    }
    environment.set(L"LD_LIBRARY_PATH", value);
}

}  // namespace jlaunch
