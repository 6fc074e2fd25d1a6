#include "settings_lint.h"

#include <algorithm>

#include "common/paths.h"
#include "common/text.h"
#include "file_io.h"
#include "settings/launcher_settings.h"
#include "settings/settings_check.h"

namespace jlaunch::pack {

std::vector<std::string> settingsNotices(const std::wstring& path, const PackSettings& settings, bool packed) {
    std::vector<std::string> notices;
    // The system's profile reader takes a bare name from the Windows folder.
    const LayeredSettings beside(ProfileFile(absolutePath(path)), {});
    const std::vector<NameNotice> besideNotices = checkSettingNames(outlineOf(beside.file()), false);
    for (const NameNotice& notice : besideNotices) {
        notices.push_back(toNarrow(describe(notice)));
    }
    if (packed) {
        for (const NameNotice& notice : checkSettingNames(outlineOf(parseIniText(settings.text)), true)) {
            // What the file check said already needs no second line.
            if (std::find(besideNotices.begin(), besideNotices.end(), notice) == besideNotices.end()) {
                notices.push_back("packed: " + toNarrow(describe(notice)));
            }
        }
    }
    for (const ValueProblem& problem : checkSettingValues(readSettingValues(beside, {}))) {
        notices.push_back((problem.stopsLaunch() ? "the launcher stops: " : "") + toNarrow(describe(problem)));
    }
    return notices;
}

int checkSettingsFile(const std::wstring& path, std::string& out, std::string& errors) {
    constexpr std::uint64_t kMaximumSettingsSize = std::uint64_t{1} << 20;
    std::string error;
    const auto bytes = readWholeFile(path, kMaximumSettingsSize, error);
    const auto settings = bytes ? readPackSettings(*bytes, error, false) : std::nullopt;
    const std::string name = toNarrow(path);
    if (!settings) {
        errors += "jlaunch-pack: " + name + ": " + error + "\n";
        return 1;
    }
    const std::vector<std::string> notices = settingsNotices(path, *settings, false);
    for (const std::string& notice : notices) {
        errors += "jlaunch-pack: " + name + ": " + notice + "\n";
    }
    if (notices.empty()) {
        out += name + ": no problems found\n";
    }
    return notices.empty() ? 0 : 1;
}

}  // namespace jlaunch::pack
