#include "settings/settings_file.h"

#include "common/paths.h"
#include "common/system.h"
#include "launcher/errors.h"

namespace jlaunch {

std::optional<std::wstring> settingsFilePath() {
    std::uint32_t error = 0;
    const auto executable = executablePath(error);
    if (!executable) {
        showSystemError(nullptr, kMsgModulePathFailed, error);
        return std::nullopt;
    }
    return settingsFilePathFor(*executable);
}

std::wstring userSettingsFilePath(const std::wstring& executable, const std::wstring& productName,
                                  const std::wstring& productCode, bool forWriting) {
    std::wstring path = userSettingsRoot();
    if (path.empty()) {
        // Without a root the path would name the drive's root folder.
        return {};
    }
    if (forWriting) {
        // A fresh Linux account may not have its configuration folder yet.
        createFolder(path);
    }
    constexpr std::wstring_view kNotInFileNames = L"\\?\"|><:/*";
    path.push_back(kPathSeparator);
    for (wchar_t c : productName) {
        if (kNotInFileNames.find(c) == std::wstring_view::npos) {
            path.push_back(c);
        }
    }
    if (forWriting) {
        createFolder(path);
    }
    path.push_back(kPathSeparator);
    path += productCode;
    if (forWriting) {
        createFolder(path);
    }
    path.push_back(kPathSeparator);
    const auto nameStart = executable.rfind(kPathSeparator);
    std::wstring name = nameStart == std::wstring::npos ? executable : executable.substr(nameStart + 1);
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) {
        name.resize(dot);
    }
    path += name + L".ini";
    return path;
}

void LayeredSettingsStore::read(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    value = readSetting(*this, section, key);
}

std::wstring readSetting(const LayeredSettingsStore& store, const std::wstring& section, const std::wstring& key) {
    std::wstring result;
    store.embedded().lookup(section, key, result);
    std::wstring value = readProfileString(store.path(), section, key);
    if (!value.empty()) {
        return value;
    }
    value = readProfileString(store.path(), section + L"+", key);
    if (!value.empty()) {
        if (value.front() != L' ') {
            result.push_back(L' ');
        }
        result += value;
    }
    return result;
}

std::wstring embeddedSettingsText(const std::wstring& /*upgradeCode*/) {
    return {};  // this build carries no embedded settings resource
}

std::optional<LayeredSettingsStore> openMainSettings() {
    auto path = settingsFilePath();
    if (!path) {
        return std::nullopt;
    }
    const std::wstring upgradeCode = readProfileString(*path, L"Product Information", L"Upgrade Code");
    return LayeredSettingsStore(std::move(*path), parseIniText(embeddedSettingsText(upgradeCode)));
}

}  // namespace jlaunch
