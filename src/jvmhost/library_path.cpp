#include "jvmhost/library_path.h"

#include "common/paths.h"

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

std::optional<std::wstring> setupLibraryPathAndEnvironment(const LauncherSettings& settings,
                                                           const std::wstring& jvmLibraryPath,
                                                           const std::wstring& executable, Environment& environment) {
    environment.set(L"KOV_JVM_PATH", jvmLibraryPath);
    environment.set(L"KOV_JVM_HOME", parentPath(jvmLibraryPath, 3));

    const std::wstring runtimeBin = parentPath(jvmLibraryPath, 2);
    const std::wstring runtimeHome = folderWithSeparator(runtimeBin);
    std::optional<std::wstring> option;
    if (!settings.libraryPath.empty()) {
        option =
            environment.expand(libraryPathOption(settings.libraryPath, folderWithSeparator(executable), runtimeHome));
    }
    environment.set(kSearchPathVariable, environment.expand(searchPathValue(settings.systemPath, runtimeBin)));
    exportRuntimeLibraryFolder(runtimeHome, environment);
    return option;
}

}  // namespace jlaunch
