#include "settings/ini_text.h"

#include "common/text.h"

namespace jlaunch {

bool EmbeddedSettings::lookup(const std::wstring& section, const std::wstring& key, std::wstring& value) const {
    for (const Section& s : sections_) {
        if (s.name != section) {
            continue;
        }
        for (const auto& [name, found] : s.pairs) {
            if (name == key) {
                value = found;
                return true;
            }
        }
        return false;  // later sections of the same name are never consulted
    }
    return false;
}

EmbeddedSettings parseIniText(std::wstring_view text) {
    std::vector<EmbeddedSettings::Section> sections;
    bool first = true;
    while (true) {
        const auto end = text.find(L"\r\n");
        std::wstring_view line = text.substr(0, end);
        if (first && !line.empty() && line.front() == L'\uFEFF') {
            line.remove_prefix(1);
        }
        first = false;
        const std::wstring_view content = trimControlAndBlank(line);
        if (!content.empty()) {
            if (content.front() == L'[' && content.back() == L']') {
                sections.push_back({std::wstring(content.substr(1, content.size() - 2)), {}});
            } else if (!sections.empty()) {
                // Leading controls are skipped; trailing ones that are not white space stay.
                const std::wstring_view rest = line.substr(static_cast<std::size_t>(content.data() - line.data()));
                const auto equals = rest.find(L'=');
                if (equals != std::wstring_view::npos) {
                    sections.back().pairs.emplace_back(trimWhiteSpace(rest.substr(0, equals)),
                                                       trimWhiteSpace(rest.substr(equals + 1)));
                }
            }
        }
        if (end == std::wstring_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }
    return EmbeddedSettings(std::move(sections));
}

}  // namespace jlaunch
