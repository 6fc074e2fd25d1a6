#pragma once
// Settings held as INI text in memory (the embedded settings).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace jlaunch {

// Sections and pairs in file order; names may repeat. Lookups compare names
// exactly, case included, and take the first match.
class EmbeddedSettings {
public:
    struct Section {
        std::wstring name;
        std::vector<std::pair<std::wstring, std::wstring>> pairs;
    };

    EmbeddedSettings() = default;
    explicit EmbeddedSettings(std::vector<Section> sections) : sections_(std::move(sections)) {}

    // The first value of `key` in the first section named `section`; leaves
    // `value` unchanged and returns false when there is none.
    bool lookup(const std::wstring& section, const std::wstring& key, std::wstring& value) const;

    const std::vector<Section>& sections() const { return sections_; }
    bool empty() const { return sections_.empty(); }

private:
    std::vector<Section> sections_;
};

EmbeddedSettings parseIniText(std::wstring_view text);

}  // namespace jlaunch
