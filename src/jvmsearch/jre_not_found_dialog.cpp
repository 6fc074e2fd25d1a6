#include "jvmsearch/jre_not_found_dialog.h"

#include "common/paths.h"
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

}  // namespace jlaunch
