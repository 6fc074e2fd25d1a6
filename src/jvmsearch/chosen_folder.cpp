#include "jvmsearch/chosen_folder.h"

#include <utility>

#include "common/paths.h"
#include "common/text.h"
#include "jvmsearch/java_home.h"

namespace jlaunch {

std::optional<JreChoice> evaluateChosenFolder(const std::wstring& folder, JvmType type) {
    // A relative folder would be probed against the working folder, which the
    // user never chose.
    if (folder.empty() || !isAbsolutePath(folder)) {
        return std::nullopt;
    }
    JreChoice choice{withTrailingSeparator(folder), {}};
    choice.jvmLibraryPath = findJvmLibrary(choice.folder, type).path;
    if (choice.jvmLibraryPath.empty()) {
        return std::nullopt;
    }
    return choice;
}

Failure refusedFolderReason(const std::wstring& folder, JvmType type) {
    const std::wstring home = withTrailingSeparator(folder);
    if (folder.empty() || !isAbsolutePath(folder) || !hasJavaRuntime(home)) {
        return Failure{kMsgJreFolderNoRuntime, {javaRuntimeMarkers().front()}, {}};
    }
    std::wstring folders;
    for (const std::wstring_view vmFolder : vmFolderOrder(type)) {
        folders += (folders.empty() ? L"" : L", ") + std::wstring(vmFolder);
    }
    return Failure{kMsgJreFolderNoVm, {folders}, {}};
}

Result<JreChoice> checkChosenFolder(const std::wstring& folder, JvmType type) {
    if (auto choice = evaluateChosenFolder(folder, type)) {
        return std::move(*choice);
    }
    return refusedFolderReason(folder, type);
}

std::wstring downloadAddress(const std::wstring& setting) {
    const auto startsWith = [&setting](std::wstring_view scheme) {
        return setting.size() > scheme.size() &&
               equalsIgnoringCase(std::wstring_view(setting).substr(0, scheme.size()), scheme);
    };
    if (startsWith(L"https://") || startsWith(L"http://")) {
        return setting;
    }
    return kJavaDownloadAddress;
}

}  // namespace jlaunch
