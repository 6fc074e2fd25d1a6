#pragma once
// Settings held as INI text in memory (the embedded settings).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/settings_source.h"

namespace jlaunch {

// Sections and pairs in file order; names may repeat. Lookups compare names
// exactly, case included, and take the first match.
class EmbeddedSettings final : public SettingsSource {
public:
    struct Section {
        std::wstring name;
        std::vector<std::pair<std::wstring, std::wstring>> pairs;
    };

    EmbeddedSettings() = default;
    explicit EmbeddedSettings(std::vector<Section> sections) : sections_(std::move(sections)) {}

    std::uint32_t readHeader(std::uint32_t& header) override;
    // Leaves `value` unchanged when the section or key is missing.
    void read(const std::wstring& section, const std::wstring& key, std::wstring& value) override {
        lookup(section, key, value);
    }
    // The first value of `key` in the first section named `section`.
    bool lookup(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
    std::vector<std::wstring> sectionNames() override;
    void write(const std::wstring& section, const std::wstring& key, const std::wstring& value) override;
    void remove() override {}

    const std::vector<Section>& sections() const { return sections_; }
    bool empty() const { return sections_.empty(); }

private:
    std::vector<Section> sections_;
};

EmbeddedSettings parseIniText(std::wstring_view text);

}  // namespace jlaunch
