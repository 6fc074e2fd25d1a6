#include "common/utf8_step.h"

namespace jlaunch {

Utf8Step decodeUtf8Step(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    const std::size_t trail = (lead >= 0xC2 && lead <= 0xDF)   ? 1
                              : (lead >= 0xE0 && lead <= 0xEF) ? 2
                              : (lead >= 0xF0 && lead <= 0xF4) ? 3
                                                               : 0;
    if (trail == 0) {
        return {0, 1, false};
    }
    if (bytes.size() - 1 < trail) {
        return {0, bytes.size(), false};
    }
    char32_t c = lead & (0x7Fu >> (trail + 1));
    std::size_t taken = 1;
    for (std::size_t k = 1; k <= trail; ++k) {
        const auto next = static_cast<unsigned char>(bytes[taken]);
        if ((next & 0xC0u) != 0x80u) {
            return {0, taken, false};
        }
        c = (c << 6) | (next & 0x3Fu);
        // Past U+10FFFF: the byte that shows it is left for the next character.
        if (trail == 3 && k == 2 && c >= (0x110000u >> 6)) {
            return {0, taken, false};
        }
        ++taken;
        // Overlong forms and surrogates, known once the first trail byte is in.
        if (k == 1 && ((trail == 3 && c < 0x10) || (trail == 2 && (c < 0x20 || (c >= 0x360 && c <= 0x37F))))) {
            return {0, taken, false};
        }
    }
    return {c, taken, true};
}

void encodeUtf8Step(std::string& out, char32_t code) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        code = 0xFFFD;
    }
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
        return;
    }
    constexpr unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    const unsigned trail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    out.push_back(static_cast<char>(kLead[trail] | (code >> (6 * trail))));
    for (unsigned k = trail; k-- > 0;) {
        out.push_back(static_cast<char>(0x80u | ((code >> (6 * k)) & 0x3Fu)));
    }
}

void appendWideCodePoint(std::wstring& out, char32_t code) {
    if (sizeof(wchar_t) == 2 && code >= 0x10000) {
        out.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        return;
    }
    out.push_back(static_cast<wchar_t>(code));
}

}  // namespace jlaunch
