#include "settings/settings_file.h"

#include <algorithm>

#include "common/paths.h"
#include "common/text.h"
#include "common/system.h"
#include "settings/embedded/embedded_settings.h"

namespace jlaunch {

std::wstring userSettingsFilePath(const std::wstring& executable, const std::wstring& productName,
                                  const std::wstring& productCode, bool forWriting) {
    const std::wstring root = userSettingsRoot();
    // Each name is one folder below the root, or there is no per-user file:
    // "..", a separator or a device name must never lead anywhere else.
    const auto nameStart = executable.find_last_of(L"\\/");
    std::wstring fileName = nameStart == std::wstring::npos ? executable : executable.substr(nameStart + 1);
    if (const auto dot = fileName.rfind(L'.'); dot != std::wstring::npos) {
        fileName.resize(dot);
    }
    const auto file = safePathComponent(fileName + L".ini");
    if (root.empty() || !file) {
        // Without a root the path would name the drive's root folder.
        return {};
    }
    std::wstring path = root;
    if (forWriting) {
        // A fresh Linux account may not have its configuration folder yet.
        createFolder(path);
    }
    for (const std::wstring* name : {&productName, &productCode}) {
        if (name->empty()) {
            continue;  // no folder of its own, as an empty name always gave
        }
        const auto folder = safePathComponent(*name);
        if (!folder) {
            return {};
        }
        path += kPathSeparator + *folder;
        if (forWriting) {
            createFolder(path);
        }
    }
    return path + kPathSeparator + *file;
}

std::wstring readProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    return ProfileFile(file).value(section, key);
}

std::wstring readSetting(const LayeredSettings& settings, const std::wstring& section, const std::wstring& key) {
    std::wstring result;
    settings.embedded().lookup(section, key, result);
    std::wstring value = settings.file().value(section, key);
    if (!value.empty()) {
        return value;
    }
    value = settings.file().value(section + L"+", key);
    if (!value.empty()) {
        if (value.front() != L' ') {
            result.push_back(L' ');
        }
        result += value;
    }
    return result;
}

SettingValue readSetting(const LayeredSettings& settings, const SettingKey& key) {
    const std::wstring section(key.section);
    const std::wstring name(key.key);
    SettingValue read;
    if (!key.layered()) {
        read.value = settings.file().value(section, name);
        if (read.value.empty() && (key.sources & kFromPacked) != 0) {
            settings.embedded().lookup(section, name, read.value);
        }
        return read;
    }
    settings.embedded().lookup(section, name, read.value);
    const std::wstring own = settings.file().value(section, name);
    std::wstring extension = settings.file().value(section + L"+", name);
    if (!own.empty()) {
        read.value = own;
        read.hiddenExtension = std::move(extension);
    } else if (!extension.empty()) {
        read.extended = true;
        const bool joinsItself =
            extension.front() == L' ' ||
            ((key.kind == ValueKind::List || key.kind == ValueKind::Versions) && extension.starts_with(key.words));
        if (!joinsItself) {
            read.value.push_back(L' ');
        }
        read.value += extension;
    }
    if (key.kind != ValueKind::Arguments && key.kind != ValueKind::List && key.kind != ValueKind::Versions) {
        read.value = std::wstring(trimWhiteSpace(read.value));
    }
    return read;
}

std::vector<NamedSection> outlineOf(const ProfileFile& file) {
    std::vector<NamedSection> outline;
    for (std::wstring& name : file.sectionNames()) {
        const bool repeated = std::any_of(outline.begin(), outline.end(), [&name](const NamedSection& earlier) {
            return equalsIgnoringCase(trimWhiteSpace(earlier.name), trimWhiteSpace(name));
        });
        std::vector<std::wstring> keys = repeated ? std::vector<std::wstring>() : file.keyNames(name);
        outline.push_back({std::move(name), std::move(keys)});
    }
    return outline;
}

std::vector<NamedSection> outlineOf(const EmbeddedSettings& settings) {
    std::vector<NamedSection> outline;
    for (const EmbeddedSettings::Section& section : settings.sections()) {
        NamedSection named{section.name, {}};
        for (const auto& pair : section.pairs) {
            named.keys.push_back(pair.first);
        }
        outline.push_back(std::move(named));
    }
    return outline;
}

Result<std::wstring> embeddedSettingsText(const std::wstring& settingsFile, const std::wstring& upgradeCode) {
    EmbeddedText embedded = openEmbeddedSettings(readCarriedSettings(), upgradeCode);
    switch (embedded.status) {
        case EmbeddedStatus::None:
        case EmbeddedStatus::Opened:
            return std::move(embedded.text);
        case EmbeddedStatus::CodeMissing:
            return Failure{kMsgEmbeddedCodeMissing, {settingsFile}, {}};
        case EmbeddedStatus::NotAuthentic:
        case EmbeddedStatus::Damaged:
            break;
    }
    // Never read as garbage: the launch ends with the cause.
    return Failure{kMsgEmbeddedUnreadable, {settingsFile}, {}};
}

Result<LayeredSettings> openMainSettings(const std::wstring& executable) {
    auto path = settingsFilePathFor(executable);
    if (!path) {
        // No settings file can be named after it, and by design no message says so.
        return alreadyShown(L"the executable's path " + executable + L" has no \".\" to name its settings file");
    }
    ProfileFile file(std::move(*path));
    // The embedded settings are deciphered with this key, so it always comes from the file.
    const SettingKey& key = settingKey(SettingId::UpgradeCode);
    const std::wstring upgradeCode = file.value(std::wstring(key.section), std::wstring(key.key));
    auto text = embeddedSettingsText(file.path(), upgradeCode);
    if (!text) {
        return text.failure();
    }
    return LayeredSettings(std::move(file), parseIniText(*text));
}

}  // namespace jlaunch
