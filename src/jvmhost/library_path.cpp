#include "jvmhost/library_path.h"

#include "common/environment.h"
#include "common/paths.h"
#include "common/system.h"
#include "common/text.h"
#include "launcher/launcher.h"

namespace jlaunch {

namespace {

std::wstring searchPathReference() {
    return L"%" + std::wstring(kSearchPathVariable) + L"%";
}

// The folder of a path with its trailing separator.
std::wstring folderWithSeparator(const std::wstring& path) {
    const auto cut = path.rfind(kPathSeparator);
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

}  // namespace

std::wstring libraryPathOption(const std::wstring& libraryPath, const std::wstring& launcherFolder,
                               const std::wstring& runtimeHome) {
    // The separators between the pieces are always there, so that folders
    // never run together whatever the value ends with.
    std::wstring path = libraryPath;
    if (!path.empty() && path.back() != kPathListSeparator) {
        path.push_back(kPathListSeparator);
    }
    path += launcherFolder;
    path.push_back(kPathListSeparator);
    path += L".";
    path.push_back(kPathListSeparator);
    path += searchPathReference();
    path.push_back(kPathListSeparator);
    path += runtimeHome + L"lib";
    return L"-Djava.library.path=" + path;
}

std::wstring searchPathValue(const std::wstring& systemPath, const std::wstring& runtimeBin) {
    std::wstring path = systemPath;
    if (!path.empty() && path.back() != kPathListSeparator) {
        path.push_back(kPathListSeparator);
    }
    return path + searchPathReference() + kPathListSeparator + runtimeBin;
}

void setupLibraryPathAndEnvironment(Launcher& launcher) {
    const std::wstring& library = launcher.jvmLibraryPath;
    setEnvironmentVariable(L"KOV_JVM_PATH", library);
    setEnvironmentVariable(L"KOV_JVM_HOME", parentPath(library, 3));

    const std::wstring runtimeBin = parentPath(library, 2);
    const std::wstring runtimeHome = folderWithSeparator(runtimeBin);
    std::uint32_t error = 0;
    const std::wstring launcherFolder = folderWithSeparator(executablePath(error).value_or(std::wstring()));
    if (!launcher.settings.libraryPath.empty()) {
        std::wstring option = libraryPathOption(launcher.settings.libraryPath, launcherFolder, runtimeHome);
        expandEnvironment(option);
        launcher.vmOptions.push_back(toNarrow(option));
    }
    std::wstring searchPath = searchPathValue(launcher.settings.systemPath, runtimeBin);
    expandEnvironment(searchPath);
    setEnvironmentVariable(kSearchPathVariable, searchPath);
    exportRuntimeLibraryFolder(runtimeHome);
}

}  // namespace jlaunch
