#include "common/utf8_text.h"

#include <cstdint>
#include <type_traits>

#include "common/utf8_step.h"

namespace jlaunch {

namespace {

// The code unit's value, never sign-extended.
std::uint32_t unitValue(wchar_t unit) {
    return static_cast<std::make_unsigned_t<wchar_t>>(unit);
}

}  // namespace

std::string toUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t code = unitValue(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const std::uint32_t low = unitValue(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        encodeUtf8Step(out, code);
    }
    return out;
}

std::optional<std::wstring> fromUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Step step = decodeUtf8Step(bytes.substr(i));
        if (!step.valid) {
            return std::nullopt;
        }
        appendWideCodePoint(out, step.code);
        i += step.length;
    }
    return out;
}

std::u16string toUtf16Units(std::wstring_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);  // NOLINT(bugprone-signed-char-misuse): wchar_t
        if (code > 0xFFFF && code <= 0x10FFFF) {
            const std::uint32_t offset = code - 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            units.push_back(code > 0x10FFFF ? u'\uFFFD' : static_cast<char16_t>(code));
        }
    }
    return units;
}

}  // namespace jlaunch
