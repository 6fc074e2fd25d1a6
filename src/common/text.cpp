#include "common/text.h"

#include <type_traits>

namespace jlaunch {

namespace {

void appendArgument(std::wstring& out, wchar_t conversion, const FormatArgument* argument) {
    if (argument == nullptr) {
        return;
    }
    if (conversion == L's') {
        if (const auto* text = std::get_if<std::wstring_view>(argument)) {
            out.append(*text);
        }
        return;
    }
    // Like printf: %d reads the number as signed and %u as unsigned 32-bit.
    std::visit(
        [&out, conversion](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (!std::is_same_v<T, std::wstring_view>) {
                if (conversion == L'd') {
                    out.append(decimalText(static_cast<std::int32_t>(value)));
                } else {
                    out.append(decimalText(static_cast<std::uint32_t>(value)));
                }
            }
        },
        *argument);
}

}  // namespace

std::wstring decimalText(std::uint64_t magnitude, bool negative) {
    wchar_t digits[21];
    std::size_t start = sizeof digits / sizeof digits[0];
    do {
        digits[--start] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::wstring text = negative ? L"-" : L"";
    text.append(digits + start, digits + sizeof digits / sizeof digits[0]);
    return text;
}

std::wstring formatText(std::wstring_view format, const std::vector<FormatArgument>& arguments) {
    std::wstring out;
    out.reserve(format.size() + 64);
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c != L'%' || i + 1 == format.size()) {
            out.push_back(c);
            continue;
        }
        const wchar_t conversion = format[i + 1];
        if (conversion == L'%') {
            out.push_back(L'%');
            ++i;
        } else if (conversion == L's' || conversion == L'd' || conversion == L'u') {
            appendArgument(out, conversion, next < arguments.size() ? &arguments[next] : nullptr);
            ++next;
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::wstring formatText(unsigned id, const std::vector<FormatArgument>& arguments) {
    std::wstring format;
    loadResourceString(id, format);
    return formatText(format, arguments);
}

std::wstring toWide(const char* narrow) {
    return narrow == nullptr ? std::wstring() : toWide(std::string_view(narrow));
}

}  // namespace jlaunch

namespace jlaunch {

wchar_t foldCase(wchar_t c) {
    const auto u = static_cast<std::uint32_t>(c);  // NOLINT(bugprone-signed-char-misuse): wchar_t, not char
    std::uint32_t folded = u;
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7) || (u >= 0x391 && u <= 0x3AB && u != 0x3A2) ||
        (u >= 0x410 && u <= 0x42F)) {
        folded = u + 0x20;
    } else if (u == 0x178) {
        folded = 0xFF;
    } else if (u >= 0x400 && u <= 0x40F) {
        folded = u + 0x50;
    } else if (u >= 0x100 && u <= 0x17F && u != 0x130 && u != 0x138 && u != 0x149 && u != 0x17F) {
        // Latin Extended-A pairs capitals with the next code, except where the
        // pairing shifts by one between U+0139 and U+0148 and after U+0178.
        const bool oddPairs = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
        if ((u % 2 == 0) != oddPairs) {
            folded = u + 1;
        }
    }
    return static_cast<wchar_t>(folded);
}

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) {
            return false;
        }
    }
    return true;
}

std::wstring_view trimControlAndBlank(std::wstring_view text) {
    while (!text.empty() && static_cast<std::uint32_t>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<std::uint32_t>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

std::wstring_view trimWhiteSpace(std::wstring_view text) {
    constexpr std::wstring_view kWhite = L" \t\r\n\v\f";
    const auto first = text.find_first_not_of(kWhite);
    if (first == std::wstring_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kWhite) - first + 1);
}

}  // namespace jlaunch
