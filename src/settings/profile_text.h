#pragma once
// Reads and edits INI files the way the Windows profile functions do, so one
// settings file answers alike on both platforms.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

// A file's bytes as text: UTF-8 or UTF-16 (either order) after a byte-order
// mark; without one UTF-8, or Latin-1 when the bytes are not valid UTF-8.
std::wstring decodeProfileBytes(std::string_view bytes);

class ProfileText {
public:
    static ProfileText parse(std::wstring_view text);

    // The value of `key` in the first section named `section` (both ignoring
    // case and surrounding blanks), without one pair of enclosing quotes;
    // empty when missing.
    std::wstring value(std::wstring_view section, std::wstring_view key) const;
    std::vector<std::wstring> sectionNames() const;

private:
    struct Key {
        std::wstring name;
        std::optional<std::wstring> value;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
    };
    std::vector<Section> sections_;
};

// `text` with `key` of `section` set to `value`: the key's line is replaced,
// or a line is added at the end of the section, or the section is appended.
// Every other line is kept as it was.
std::wstring setProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value);

}  // namespace jlaunch
