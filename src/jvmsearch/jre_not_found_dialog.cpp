#include "jvmsearch/jre_not_found_dialog.h"

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

std::wstring shortLinkLabel(const std::wstring& address) {
    const auto host = address.find(L"://");
    const auto path = host == std::wstring::npos ? host : address.find(L'/', host + 3);
    return path == std::wstring::npos ? address : address.substr(0, path) + L"/\u2026";
}

}  // namespace jlaunch
