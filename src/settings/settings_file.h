#pragma once
// Where the settings files lie and how a value is read from them.
#include <optional>
#include <string>
#include <vector>

#include "settings/ini_text.h"
#include "settings/settings_source.h"

namespace jlaunch {

// The settings file of an executable path: beside it, named after it with
// the extension "ini". Nothing when it cannot be formed.
std::optional<std::wstring> settingsFilePathFor(const std::wstring& executable);

// The settings file of the running executable. Shows message 202 with 208
// when the executable's own path cannot be obtained.
std::optional<std::wstring> settingsFilePath();

// The per-user copy: <root>\<product name>\<product code>\<file name>.ini,
// the product name without the characters a file name may not hold. Formed
// for writing, the two folders below the root are created. Empty when the
// root folder is unknown.
std::wstring userSettingsFilePath(const std::wstring& executable, const std::wstring& productName,
                                  const std::wstring& productCode, bool forWriting);

// One value of one file; empty when the file, section or key is missing.
std::wstring readProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key);
std::vector<std::wstring> readSectionNames(const std::wstring& file);
// Failures are silent: callers never act on them.
void writeProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value);
bool deleteSettingsFile(const std::wstring& file);
// First four bytes of the file; 0 or the system error number.
std::uint32_t readFileHeader(const std::wstring& file, std::uint32_t& header);

// One settings file.
class SettingsStore : public SettingsSource {
public:
    explicit SettingsStore(std::wstring path) : path_(std::move(path)) {}

    std::uint32_t readHeader(std::uint32_t& header) override { return readFileHeader(path_, header); }
    void read(const std::wstring& section, const std::wstring& key, std::wstring& value) override {
        value = readProfileString(path_, section, key);
    }
    std::vector<std::wstring> sectionNames() override { return readSectionNames(path_); }
    void write(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        writeProfileString(path_, section, key, value);
    }
    void remove() override { deleteSettingsFile(path_); }

    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// A settings file over the embedded settings.
class LayeredSettingsStore final : public SettingsStore {
public:
    LayeredSettingsStore(std::wstring path, EmbeddedSettings embedded)
        : SettingsStore(std::move(path)), embedded_(std::move(embedded)) {}

    void read(const std::wstring& section, const std::wstring& key, std::wstring& value) override;
    const EmbeddedSettings& embedded() const { return embedded_; }

private:
    EmbeddedSettings embedded_;
};

// The layered read: the embedded value, replaced by the file's value when
// that is not empty, or else extended by the value of section "<section>+".
std::wstring readSetting(const LayeredSettingsStore& store, const std::wstring& section, const std::wstring& key);

// The settings text carried inside the launcher for this upgrade code;
// empty when the launcher carries none.
std::wstring embeddedSettingsText(const std::wstring& upgradeCode);

// The layered store of the main settings file; nothing when its path
// cannot be formed.
std::optional<LayeredSettingsStore> openMainSettings();

}  // namespace jlaunch
