#include "settings/profile_text.h"

#include "common/text.h"

namespace jlaunch {

namespace {

// Blanks as the profile reader sees them; Ctrl-Z ends old DOS files.
bool isProfileSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' || c == 0x1A;
}

std::wstring_view trimProfileSpace(std::wstring_view text) {
    while (!text.empty() && isProfileSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isProfileSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >= 0xC2 && lead <= 0xDF) ? 2 : (lead >= 0xE0 && lead <= 0xEF) ? 3
                             : (lead >= 0xF0 && lead <= 0xF4) ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0u) != 0x80u) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::wstring decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        auto unit = static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
        // Pair surrogates into one code point where wchar_t is 32-bit.
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
                const auto c = static_cast<unsigned char>(bytes[i + 2]);
                const auto d = static_cast<unsigned char>(bytes[i + 3]);
                const auto low = static_cast<char32_t>(bigEndian ? (c << 8) | d : (d << 8) | c);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
        }
        out.push_back(static_cast<wchar_t>(unit));
    }
    return out;
}

struct Line {
    std::wstring_view text;  // without its line end
    std::size_t start;       // offset of its first character
    std::size_t end;         // offset just past its line end
};

// Lines end at "\n"; a text without any "\n" ends its lines at "\r".
std::vector<Line> splitLines(std::wstring_view text) {
    const wchar_t terminator = text.find(L'\n') != std::wstring_view::npos ? L'\n' : L'\r';
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto stop = text.find(terminator, start);
        const std::size_t next = stop == std::wstring_view::npos ? text.size() : stop + 1;
        lines.push_back({text.substr(start, (stop == std::wstring_view::npos ? text.size() : stop) - start), start, next});
        start = next;
    }
    return lines;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::wstring_view> sectionHeader(std::wstring_view line) {
    const std::wstring_view content = trimProfileSpace(line);
    if (content.empty() || content.front() != L'[') {
        return std::nullopt;
    }
    const auto close = content.rfind(L']');
    if (close == std::wstring_view::npos) {
        return std::nullopt;
    }
    return content.substr(1, close - 1);
}

// The key name of a key line (the text before "=" or the whole line).
std::wstring_view keyName(std::wstring_view line) {
    const std::wstring_view content = trimProfileSpace(line);
    return trimProfileSpace(content.substr(0, content.find(L'=')));
}

}  // namespace

std::wstring decodeProfileBytes(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return toWide(bytes.substr(3));
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return decodeUtf16(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return decodeUtf16(bytes.substr(2), true);
    }
    if (isValidUtf8(bytes)) {
        return toWide(bytes);
    }
    std::wstring latin1;
    latin1.reserve(bytes.size());
    for (char c : bytes) {
        latin1.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return latin1;
}

ProfileText ProfileText::parse(std::wstring_view text) {
    ProfileText profile;
    // Pairs above the first header belong to a section without a name.
    profile.sections_.push_back({});
    for (const Line& line : splitLines(text)) {
        const std::wstring_view content = trimProfileSpace(line.text);
        if (content.empty()) {
            continue;
        }
        if (const auto header = sectionHeader(content)) {
            profile.sections_.push_back({std::wstring(*header), {}});
            continue;
        }
        const auto equals = content.find(L'=');
        Key key{std::wstring(trimProfileSpace(content.substr(0, equals))), std::nullopt};
        if (equals != std::wstring_view::npos) {
            key.value = std::wstring(trimProfileSpace(content.substr(equals + 1)));
        }
        profile.sections_.back().keys.push_back(std::move(key));
    }
    return profile;
}

std::wstring ProfileText::value(std::wstring_view section, std::wstring_view key) const {
    section = trimProfileSpace(section);
    key = trimProfileSpace(key);
    for (const Section& s : sections_) {
        if (!equalsIgnoringCase(s.name, section)) {
            continue;
        }
        for (const Key& k : s.keys) {
            if (!equalsIgnoringCase(k.name, key)) {
                continue;
            }
            if (!k.value) {
                return {};
            }
            std::wstring_view v = *k.value;
            if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) {
                v = v.substr(1, v.size() - 2);
            }
            return std::wstring(v);
        }
        return {};  // only the first section of a name counts
    }
    return {};
}

std::vector<std::wstring> ProfileText::sectionNames() const {
    std::vector<std::wstring> names;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        names.push_back(sections_[i].name);
    }
    return names;
}

std::wstring setProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) {
    section = trimProfileSpace(section);
    key = trimProfileSpace(key);
    const std::wstring lineEnd = text.find(L"\r\n") != std::wstring_view::npos ? L"\r\n" : L"\n";
    const std::wstring newLine = std::wstring(key) + L"=" + std::wstring(value);

    const std::vector<Line> lines = splitLines(text);
    bool inSection = false;
    std::size_t insertAt = std::wstring_view::npos;  // just past the section's last non-blank line
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t start = lines[i].start;
        if (const auto header = sectionHeader(lines[i].text)) {
            if (inSection) {
                break;
            }
            inSection = equalsIgnoringCase(*header, section);
            if (inSection) {
                insertAt = lines[i].end;
            }
            continue;
        }
        if (!inSection || trimProfileSpace(lines[i].text).empty()) {
            continue;
        }
        if (equalsIgnoringCase(keyName(lines[i].text), key)) {
            std::wstring edited(text.substr(0, start));
            edited += newLine;
            if (lines[i].text.ends_with(L'\r')) {
                edited += L'\r';
            }
            edited += text.substr(start + lines[i].text.size());
            return edited;
        }
        insertAt = lines[i].end;
    }
    std::wstring edited(text);
    if (insertAt != std::wstring_view::npos) {
        std::wstring insertion = newLine + lineEnd;
        if (insertAt == text.size() && !text.empty() && text.back() != L'\n') {
            insertion = lineEnd + newLine + lineEnd;
        }
        edited.insert(insertAt, insertion);
        return edited;
    }
    if (!edited.empty() && edited.back() != L'\n') {
        edited += lineEnd;
    }
    edited += L"[" + std::wstring(section) + L"]" + lineEnd + newLine + lineEnd;
    return edited;
}

}  // namespace jlaunch
