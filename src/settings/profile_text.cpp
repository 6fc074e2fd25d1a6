#include "settings/profile_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <utility>

#include "common/byte_order.h"
#include "common/utf8_step.h"

namespace jlaunch {

namespace {

// Blanks as the Windows profile reader sees them: ASCII white space and
// Ctrl-Z, the end mark of old DOS files. Unicode spaces such as U+00A0 or
// U+3000 are part of names and values there.
bool isProfileSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A;
}

std::wstring_view trimProfileSpace(std::wstring_view text) {
    while (!text.empty() && isProfileSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isProfileSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Windows keeps names and values as C strings, so a NUL inside ends them.
std::wstring_view untilNul(std::wstring_view text) {
    return text.substr(0, text.find(L'\0'));
}

// Windows ignores the case of ASCII letters only: "Über" and "über" are two
// different names to GetPrivateProfileStringW.
bool sameName(std::wstring_view a, std::wstring_view b) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// UTF-8 with U+FFFD for malformed sequences; `valid` turns false at the first one.
std::wstring decodeUtf8(std::string_view bytes, bool& valid) {
    std::wstring out;
    out.reserve(bytes.size());
    valid = true;
    for (std::size_t i = 0; i < bytes.size();) {
        // A malformed sequence becomes one U+FFFD as Windows groups it.
        const Utf8Step step = decodeUtf8Step(bytes.substr(i));
        valid = valid && step.valid;
        appendWideCodePoint(out, step.valid ? step.code : 0xFFFD);
        i += step.length;
    }
    return out;
}

std::wstring decodeUtf16(std::string_view bytes, bool bigEndian) {
    const auto unitAt = [&bytes, bigEndian](std::size_t i) {
        const std::span<const std::uint8_t> unit(reinterpret_cast<const std::uint8_t*>(bytes.data()) + i, 2);
        return static_cast<char32_t>(bigEndian ? readBigEndian(unit) : readLittleEndian(unit));
    };
    std::wstring out;
    out.reserve(bytes.size() / 2 + 1);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        // Pair surrogates into one code point where wchar_t is 32-bit.
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
                const char32_t low = unitAt(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
        }
        out.push_back(static_cast<wchar_t>(unit));
    }
    // Windows reads a last odd byte as a character of its own, in either order.
    if (i < bytes.size()) {
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])));
    }
    return out;
}

// The code points of `text`, pairing surrogates where wchar_t is 16-bit;
// an unpaired surrogate stays a code point of its own.
template <typename Visit>
void forEachCodePoint(std::wstring_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        visit(c);
    }
}

std::string encodeUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    forEachCodePoint(text, [&out](char32_t c) {
        encodeUtf8Step(out, c);  // an unpaired surrogate becomes U+FFFD
    });
    return out;
}

std::string encodeUtf16(std::wstring_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    const auto unit = [&out, bigEndian](char32_t u) {
        std::array<std::uint8_t, 2> bytes{};
        bigEndian ? writeBigEndian(bytes, u) : writeLittleEndian(bytes, u);
        out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    forEachCodePoint(text, [&unit](char32_t c) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    });
    return out;
}

struct Line {
    std::wstring_view text;  // without its line end
    std::size_t start;       // offset of its first character
    std::size_t end;         // offset just past its line end
};

// Where the line from `start` ends: at the next CR or LF, or the text's end. A
// plain loop: find_first_of looks each character up in the set by a call.
std::size_t lineStop(std::wstring_view text, std::size_t start) {
    while (start < text.size() && text[start] != L'\r' && text[start] != L'\n') {
        ++start;
    }
    return start;
}

// Lines end at CR LF, at LF or at a CR alone, wherever they are in the text.
// Blank lines stay, so the writer can keep new keys above them.
std::vector<Line> splitLines(std::wstring_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t stop = lineStop(text, start);
        std::size_t next = stop;
        if (next < text.size()) {
            next += text.substr(next, 2) == L"\r\n" ? 2u : 1u;
        }
        lines.push_back({text.substr(start, stop - start), start, next});
        start = next;
    }
    return lines;
}

// The first line end of `text`, or LF for text of one line.
std::wstring_view firstLineEnd(std::wstring_view text) {
    const auto stop = text.find_first_of(L"\r\n");
    if (stop == std::wstring_view::npos || text[stop] == L'\n') {
        return L"\n";
    }
    return text.substr(stop, 2) == L"\r\n" ? L"\r\n" : L"\r";
}

// The name of a section header line, or nothing for any other line: what lies
// between "[" and the line's last "]", without surrounding blanks.
std::optional<std::wstring_view> sectionHeader(std::wstring_view line) {
    const std::wstring_view content = trimProfileSpace(line);
    if (content.empty() || content.front() != L'[') {
        return std::nullopt;
    }
    const auto close = content.rfind(L']');
    if (close == std::wstring_view::npos) {
        return std::nullopt;
    }
    return untilNul(trimProfileSpace(content.substr(1, close - 1)));
}

struct KeyLine {
    std::wstring_view name;
    std::optional<std::wstring_view> value;  // nothing for a line without "="
};

// A trimmed line that is not blank and not a section header.
KeyLine keyLine(std::wstring_view content) {
    const auto equals = content.find(L'=');
    KeyLine key{untilNul(trimProfileSpace(content.substr(0, equals))), std::nullopt};
    if (equals != std::wstring_view::npos) {
        key.value = untilNul(trimProfileSpace(content.substr(equals + 1)));
    }
    return key;
}

}  // namespace

std::wstring decodeProfileBytes(std::string_view bytes) {
    bool valid = true;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return decodeUtf8(bytes.substr(3), valid);
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return decodeUtf16(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return decodeUtf16(bytes.substr(2), true);
    }
    std::wstring text = decodeUtf8(bytes, valid);
    if (valid) {
        return text;
    }
    text.clear();
    for (char c : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string encodeProfileText(std::wstring_view text, std::string_view original) {
    if (original.starts_with("\xEF\xBB\xBF")) {
        return "\xEF\xBB\xBF" + encodeUtf8(text);
    }
    if (original.starts_with("\xFF\xFE")) {
        return "\xFF\xFE" + encodeUtf16(text, false);
    }
    if (original.starts_with("\xFE\xFF")) {
        return "\xFE\xFF" + encodeUtf16(text, true);
    }
    bool valid = true;
    decodeUtf8(original, valid);
    const bool latin1 = !valid && std::all_of(text.begin(), text.end(),
                                              [](wchar_t c) { return static_cast<std::uint32_t>(c) <= 0xFF; });
    if (!latin1) {
        return encodeUtf8(text);
    }
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return out;
}

ProfileText ProfileText::parse(std::wstring text) {
    ProfileText profile;
    profile.text_ = std::move(text);
    const std::wstring_view all = profile.text_;
    const auto span = [&all](std::wstring_view part) {
        return part.empty() ? Span{} : Span{static_cast<std::size_t>(part.data() - all.data()), part.size()};
    };
    // Pairs above the first header belong to a section without a name.
    profile.sections_.push_back({});
    for (std::size_t start = 0; start < all.size();) {
        // Lines end at CR LF, at LF or at a CR alone.
        const std::size_t stop = lineStop(all, start);
        const std::wstring_view content = trimProfileSpace(all.substr(start, stop - start));
        start = stop + (all.substr(stop, 2) == L"\r\n" ? 2 : 1);
        if (content.empty()) {
            continue;
        }
        if (const auto header = sectionHeader(content)) {
            profile.sections_.push_back({span(*header), profile.keys_.size()});
            continue;
        }
        const KeyLine key = keyLine(content);
        profile.keys_.push_back({span(key.name), key.value ? span(*key.value) : Span{}, key.value.has_value()});
    }
    return profile;
}

std::optional<std::size_t> ProfileText::firstSection(std::wstring_view section, bool trim) const {
    section = untilNul(section);
    if (trim) {
        section = trimProfileSpace(section);
    }
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        if (sameName(at(sections_[s].name), section)) {
            return s;
        }
    }
    return std::nullopt;
}

std::wstring ProfileText::value(std::wstring_view section, std::wstring_view key) const {
    key = trimProfileSpace(untilNul(key));
    // Only the first section of a name counts.
    const auto s = firstSection(section);
    if (!s) {
        return {};
    }
    for (std::size_t k = sections_[*s].firstKey; k < keysEnd(*s); ++k) {
        if (!sameName(at(keys_[k].name), key)) {
            continue;
        }
        std::wstring_view v = at(keys_[k].value);
        if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) {
            v = v.substr(1, v.size() - 2);
        }
        return std::wstring(v);
    }
    return {};
}

std::vector<std::wstring> ProfileText::keyNames(std::wstring_view section) const {
    std::vector<std::wstring> names;
    // A name as sectionNames() gave it, which keeps blanks a NUL left at its end.
    if (const auto s = firstSection(section, false)) {
        for (std::size_t k = sections_[*s].firstKey; k < keysEnd(*s); ++k) {
            // As the system lists them: no empty name, no comment.
            const std::wstring_view name = at(keys_[k].name);
            if (keys_[k].hasValue && !name.empty() && name.front() != L';') {
                names.emplace_back(name);
            }
        }
    }
    return names;
}

std::vector<std::wstring> ProfileText::sectionNames() const {
    std::vector<std::wstring> names;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        names.emplace_back(at(sections_[i].name));
    }
    return names;
}

std::wstring setProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) {
    section = trimProfileSpace(untilNul(section));
    key = trimProfileSpace(untilNul(key));
    const std::wstring lineEnd(firstLineEnd(text));
    const std::wstring newLine = std::wstring(key) + L"=" + std::wstring(value);

    // As in the reader, the lines above the first header are the section
    // without a name, and only the first section of a name counts.
    bool found = section.empty();
    bool inSection = found;
    std::size_t insertAt = 0;  // just past the section's header or its last non-blank line
    for (const Line& line : splitLines(text)) {
        if (const auto header = sectionHeader(line.text)) {
            if (inSection) {
                break;
            }
            if (sameName(*header, section)) {
                inSection = found = true;
                insertAt = line.end;
            }
            continue;
        }
        const std::wstring_view content = trimProfileSpace(line.text);
        if (!inSection || content.empty()) {
            continue;
        }
        if (sameName(keyLine(content).name, key)) {
            std::wstring edited(text.substr(0, line.start));
            edited += newLine;
            edited += text.substr(line.start + line.text.size());
            return edited;
        }
        insertAt = line.end;
    }
    std::wstring edited(text);
    const bool endsOpen = !edited.empty() && edited.back() != L'\n' && edited.back() != L'\r';
    if (found) {
        // A last line without a line end gets one before the new line follows it.
        const bool afterOpenLine = insertAt == edited.size() && endsOpen;
        edited.insert(insertAt, (afterOpenLine ? lineEnd : L"") + newLine + lineEnd);
        return edited;
    }
    if (endsOpen) {
        edited += lineEnd;
    }
    edited += L"[" + std::wstring(section) + L"]" + lineEnd + newLine + lineEnd;
    return edited;
}

ProfileTextFile::ProfileTextFile(const std::optional<std::string>& bytes) {
    if (bytes) {
        text_ = ProfileText::parse(decodeProfileBytes(*bytes));
    }
}

std::wstring ProfileTextFile::value(std::wstring_view section, std::wstring_view key) const {
    return text_ ? text_->value(section, key) : std::wstring();
}

std::vector<std::wstring> ProfileTextFile::sectionNames() const {
    std::vector<std::wstring> names = text_ ? text_->sectionNames() : std::vector<std::wstring>();
    std::erase_if(names, [](const std::wstring& name) { return name.empty(); });
    return names;
}

std::vector<std::wstring> ProfileTextFile::keyNames(std::wstring_view section) const {
    return text_ ? text_->keyNames(section) : std::vector<std::wstring>();
}

}  // namespace jlaunch
