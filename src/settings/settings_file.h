#pragma once
// Where the settings files lie and how a value is read from them.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "settings/ini_text.h"
#include "settings/setting_keys.h"

namespace jlaunch {

// The settings file of an executable path: beside it, named after it with
// the extension "ini". Nothing when it cannot be formed.
std::optional<std::wstring> settingsFilePathFor(const std::wstring& executable);

// The per-user copy: <root>\<product name>\<product code>\<file name>.ini,
// the product name without the characters a file name may not hold. Formed
// for writing, the two folders below the root are created. Empty when the
// root folder is unknown.
std::wstring userSettingsFilePath(const std::wstring& executable, const std::wstring& productName,
                                  const std::wstring& productCode, bool forWriting);

// One settings file, read as the system's profile functions read it. Windows
// asks the system at every read; Linux reads and parses the file once, when
// the value is made, so a launch costs one read of it however many keys it asks.
class ProfileFile {
public:
    explicit ProfileFile(std::wstring path);
    ~ProfileFile();
    ProfileFile(ProfileFile&&) noexcept;
    ProfileFile& operator=(ProfileFile&&) noexcept;
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const std::wstring& path() const { return path_; }
    // Empty when the file, section or key is missing.
    std::wstring value(const std::wstring& section, const std::wstring& key) const;
    // The non-empty section names in file order.
    std::vector<std::wstring> sectionNames() const;
    // The key names of the first section of that name, in file order.
    std::vector<std::wstring> keyNames(const std::wstring& section) const;

private:
    struct Content;
    std::wstring path_;
    std::unique_ptr<Content> content_;
};

// One value of one file, read once.
std::wstring readProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key);
// 0, or the system's error number when the file could not be written.
std::uint32_t writeProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                 const std::wstring& value);
bool deleteSettingsFile(const std::wstring& file);

// The main settings file over the embedded settings.
class LayeredSettings {
public:
    LayeredSettings(ProfileFile file, EmbeddedSettings embedded)
        : file_(std::move(file)), embedded_(std::move(embedded)) {}

    const ProfileFile& file() const { return file_; }
    const EmbeddedSettings& embedded() const { return embedded_; }

private:
    ProfileFile file_;
    EmbeddedSettings embedded_;
};

// The layered read: the embedded value, replaced by the file's value when
// that is not empty, or else extended by the value of section "<section>+".
std::wstring readSetting(const LayeredSettings& settings, const std::wstring& section, const std::wstring& key);

// The layered read of one key as its kind wants it: a word, name, version,
// path or text loses the blanks around it (an extension alone is no longer
// " yes"), and an extension of a list that begins with the list's separator
// is joined without the space. A key that is not layered is read from the
// file alone.
SettingValue readSetting(const LayeredSettings& settings, const SettingKey& key);

// The sections of a settings text with their keys, in file order, as the
// names diagnostics look at them.
struct NamedSection {
    std::wstring name;
    std::vector<std::wstring> keys;
};
// A section that repeats an earlier name has no keys listed: they are never read.
std::vector<NamedSection> outlineOf(const ProfileFile& file);
std::vector<NamedSection> outlineOf(const EmbeddedSettings& settings);

// The settings text carried inside the launcher, deciphered with the upgrade
// code of `settingsFile`; empty when the launcher carries none. Fails with the
// message that names the cause when it carries some that cannot be read.
Result<std::wstring> embeddedSettingsText(const std::wstring& settingsFile, const std::wstring& upgradeCode);

// The layered settings of the executable's own settings file. Fails, with
// nothing to show, when that file's path cannot be formed, and with its
// message when the embedded settings cannot be deciphered.
Result<LayeredSettings> openMainSettings(const std::wstring& executable);

}  // namespace jlaunch
