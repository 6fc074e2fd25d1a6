#include "jvmhost/library_path.h"

#include "common/paths.h"

namespace jlaunch {

std::wstring joinSearchPath(const std::vector<std::wstring>& pieces) {
    std::wstring joined;
    for (const std::wstring& piece : pieces) {
        std::size_t start = 0;
        while (start <= piece.size()) {
            auto end = piece.find(kPathListSeparator, start);
            end = end == std::wstring::npos ? piece.size() : end;
            if (end > start) {
                if (!joined.empty()) {
                    joined.push_back(kPathListSeparator);
                }
                joined.append(piece, start, end - start);
            }
            start = end + 1;
        }
    }
    return joined;
}

std::optional<std::wstring> setupLibraryPathAndEnvironment(const LauncherSettings& settings,
                                                           const std::wstring& jvmLibraryPath,
                                                           const std::wstring& executable, Environment& environment) {
    environment.set(L"KOV_JVM_PATH", jvmLibraryPath);
    environment.set(L"KOV_JVM_HOME", parentPath(jvmLibraryPath, 3));

    const RuntimeFolders runtime = runtimeFolders(jvmLibraryPath);
    // An unset search path adds nothing, rather than its name between percent signs.
    const std::wstring searchPath = environment.get(kSearchPathVariable).value_or(std::wstring());
    std::optional<std::wstring> option;
    if (!settings.libraryPath.empty()) {
        const std::wstring launcherFolder = parentPath(executable, 1) + kPathSeparator;
        option = L"-Djava.library.path=" + joinSearchPath({environment.expand(settings.libraryPath), launcherFolder,
                                                           L".", searchPath, runtime.libraries});
    }
    environment.set(kSearchPathVariable,
                    joinSearchPath({environment.expand(settings.systemPath), searchPath, runtime.executables}));
    exportRuntimeLibraryFolder(jvmLibraryPath, environment);
    return option;
}

}  // namespace jlaunch
