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
// Malformed UTF-8 after a mark becomes U+FFFD as Windows decodes it.
std::wstring decodeProfileBytes(std::string_view bytes);
// `text` as bytes for a file that held `original`: behind the same byte-order
// mark in the same encoding, so Windows reads the file as before; without a
// mark as UTF-8, or as Latin-1 when `original` was read so and `text` fits.
std::string encodeProfileText(std::wstring_view text, std::string_view original);

class ProfileText {
public:
    // Lines end at every CR or LF. Names and values end at a NUL, as they do
    // for the C strings of the Windows functions. The text is kept (moved in
    // when it can be) and names and values are read from it.
    static ProfileText parse(std::wstring text);

    // The value of `key` in the first section named `section` (both ignoring
    // ASCII case and surrounding blanks), without one pair of enclosing
    // quotes; empty when missing.
    std::wstring value(std::wstring_view section, std::wstring_view key) const;
    // Every section header's name in file order, duplicates and empty names
    // included.
    std::vector<std::wstring> sectionNames() const;
    // The names of the keys with a value in the first section named
    // `section` (as sectionNames() gives it), in file order, repeats included, as the system lists them:
    // without empty names and lines that begin with ";".
    std::vector<std::wstring> keyNames(std::wstring_view section) const;

private:
    // Names and values are places in `text_`, not strings of their own: a
    // file of thousands of lines is read with a handful of allocations.
    struct Span {
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    struct Key {
        Span name;
        Span value;
        bool hasValue = false;
    };
    struct Section {
        Span name;
        std::size_t firstKey = 0;  // its keys are keys_[firstKey, next section's firstKey)
    };
    std::wstring_view at(Span span) const { return std::wstring_view(text_).substr(span.offset, span.length); }
    std::optional<std::size_t> firstSection(std::wstring_view section, bool trim = true) const;
    std::size_t keysEnd(std::size_t section) const {
        return section + 1 < sections_.size() ? sections_[section + 1].firstKey : keys_.size();
    }

    std::wstring text_;
    std::vector<Section> sections_;
    std::vector<Key> keys_;
};

// A settings file read once as a whole, as the profile functions would read
// it; a file that could not be read answers as an empty one.
class ProfileTextFile {
public:
    explicit ProfileTextFile(const std::optional<std::string>& bytes);

    std::wstring value(std::wstring_view section, std::wstring_view key) const;
    // The non-empty section names in file order, as the system lists them.
    std::vector<std::wstring> sectionNames() const;
    std::vector<std::wstring> keyNames(std::wstring_view section) const;

private:
    std::optional<ProfileText> text_;
};

// `text` with `key` of `section` set to `value`: the key's line is replaced,
// or a line is added after the section's last non-blank line, or the section
// is appended. Sections and keys are found as ProfileText finds them; every
// other line is kept as it was, and new lines end as the text's first line does.
std::wstring setProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value);

}  // namespace jlaunch
