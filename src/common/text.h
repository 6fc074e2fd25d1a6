#pragma once
// Text conversion, localised resource strings and printf-style formatting.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace jlaunch {

// Narrow text is the platform's own narrow encoding: the thread's ANSI code
// page on Windows, UTF-8 on Linux.
std::string toNarrow(std::wstring_view wide);
std::wstring toWide(const char* narrow);
std::wstring toWide(std::string_view narrow);

// Loads string `id` of the message table in the user-interface language.
// Leaves `target` unchanged and returns false when the entry is missing.
bool loadResourceString(unsigned id, std::wstring& target);

// One argument of formatText: "%s" takes text, "%d" a signed and "%u" an
// unsigned 32-bit number.
using FormatArgument = std::variant<std::wstring_view, std::int32_t, std::uint32_t>;

// printf-style formatting with %s, %d, %u and %%; an argument of the wrong
// kind or a missing one prints as nothing, so a bad table entry can never
// read past the arguments given.
std::wstring formatText(std::wstring_view format, const std::vector<FormatArgument>& arguments);
// The same with message `id` as the format; a missing message formats as empty.
std::wstring formatText(unsigned id, const std::vector<FormatArgument>& arguments);

}  // namespace jlaunch

namespace jlaunch {

// The decimal digits of a number, with "-" when it is negative: what
// std::to_wstring gives, without pulling the C library's printf formatter
// into the statically linked exe.
std::wstring decimalText(std::uint64_t magnitude, bool negative = false);
template <typename Integer>
std::wstring decimalText(Integer value) {
    if constexpr (std::is_signed_v<Integer>) {
        // The magnitude of the most negative value still fits an unsigned 64-bit number.
        const auto wide = static_cast<std::int64_t>(value);
        return wide < 0 ? decimalText(static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(wide), true)
                        : decimalText(static_cast<std::uint64_t>(wide), false);
    } else {
        return decimalText(static_cast<std::uint64_t>(value), false);
    }
}

// Simple case folding (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic):
// what settings values and INI names are compared with when case is ignored.
wchar_t foldCase(wchar_t c);
bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b);

// Characters of code 32 or less after the start, or before the end, removed.
std::wstring_view trimControlAndBlank(std::wstring_view text);
// Space, tab, carriage return, line feed, vertical tab and form feed removed.
std::wstring_view trimWhiteSpace(std::wstring_view text);

}  // namespace jlaunch
