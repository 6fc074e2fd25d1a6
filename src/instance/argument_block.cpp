#include "instance/argument_block.h"

#include <algorithm>
#include <array>

#include "common/byte_order.h"
#include "common/text.h"
#include "common/utf8_text.h"

namespace jlaunch {

namespace {

// Beside the argument block, in the part of the region older builds leave
// zero: a mark, the argument count and a checksum of block and count.
constexpr std::size_t kCountOffset = kArgumentBlockSize;
constexpr std::uint32_t kCountMark = 0x49534C4A;  // "JLSI"
constexpr std::size_t kCountRecordSize = 16;
// Older builds stop reading two bytes before the shared block's end.
constexpr std::size_t kReadEndUnits = (kArgumentRegionSize - 2) / 2;

// Object names longer than this are shortened; the longest suffix added to
// an instance name has eight characters.
constexpr std::size_t kMaxInstanceName = 259;
constexpr std::size_t kHashDigits = 16;

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes, std::uint64_t hash = 0xCBF29CE484222325ULL) {
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 0x100000001B3ULL;
    }
    return hash;
}

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001B3ULL;
    }
    return hash;
}

// Lower-case, zero-padded: snprintf would link the C library's formatter into the exe.
std::string hexDigits(std::uint64_t value) {
    std::string text(kHashDigits, '0');
    for (std::size_t i = kHashDigits; i-- > 0; value >>= 4) {
        text[i] = "0123456789abcdef"[value & 0xF];
    }
    return text;
}

std::uint64_t countChecksum(std::span<const std::uint8_t, kArgumentRegionSize> region, std::uint32_t count) {
    std::array<std::uint8_t, 4> countBytes{};
    writeU32(countBytes, 0, count);
    return fnv1a(countBytes, fnv1a(region.first(kArgumentBlockSize)));
}

std::size_t unitCount(const std::wstring& text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return text.size();
    } else {
        return toUtf16Units(text).size();
    }
}

// UTF-16 units as wide text; pairs join into one character where wchar_t
// holds whole code points, lone surrogates stay as they are.
std::wstring wideText(std::u16string_view units) {
    std::wstring text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                units[i + 1] <= 0xDFFF) {
                const std::uint32_t code = 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) +
                                           (static_cast<std::uint32_t>(units[i + 1]) - 0xDC00);
                text.push_back(static_cast<wchar_t>(code));
                ++i;
                continue;
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

char16_t unitAt(std::span<const std::uint8_t, kArgumentRegionSize> region, std::size_t index) {
    return static_cast<char16_t>(readU16(region, 2 * index));
}

}  // namespace

std::size_t argumentBlockBytes(const std::vector<std::wstring>& arguments) {
    std::size_t bytes = 2;
    for (const std::wstring& argument : arguments) {
        bytes += 2 * unitCount(argument) + 2;
    }
    return bytes;
}

bool fitsArgumentBlock(const std::vector<std::wstring>& arguments) {
    return argumentBlockBytes(arguments) <= kArgumentBlockSize;
}

void writeArguments(std::span<std::uint8_t, kArgumentRegionSize> region, const std::vector<std::wstring>& arguments) {
    std::fill_n(region.begin(), kArgumentBlockSize, std::uint8_t{0});
    std::size_t at = 0;
    for (const std::wstring& argument : arguments) {
        for (const char16_t unit : toUtf16Units(argument)) {
            if (at + 4 > kArgumentBlockSize) {
                return;  // callers check the size first; never write past the block
            }
            writeU16(region, at, unit);
            at += 2;
        }
        at += 2;
    }
    const auto count = static_cast<std::uint32_t>(arguments.size());
    const auto record = region.subspan(kCountOffset, kCountRecordSize);
    writeU32(record, 0, kCountMark);
    writeU32(record, 4, count);
    writeU64(record, 8, countChecksum(region, count));
}

std::vector<std::wstring> readArguments(std::span<const std::uint8_t, kArgumentRegionSize> region) {
    const auto record = region.subspan(kCountOffset, kCountRecordSize);
    const std::uint32_t count = readU32(record, 4);
    const bool counted = readU32(record, 0) == kCountMark && readU64(record, 8) == countChecksum(region, count);

    std::vector<std::wstring> arguments;
    std::u16string current;
    for (std::size_t i = 0; i < kReadEndUnits; ++i) {
        const char16_t unit = unitAt(region, i);
        if (unit != 0) {
            current.push_back(unit);
            continue;
        }
        arguments.push_back(wideText(current));
        current.clear();
        if (counted ? arguments.size() >= count : unitAt(region, i + 1) == 0) {
            break;
        }
    }
    // No NUL at all where a block may end (only a damaged region has none):
    // its text is one argument, as an empty block is one empty argument.
    if (arguments.empty()) {
        arguments.push_back(wideText(current));
    }
    return arguments;
}

void clearArgumentCount(std::span<std::uint8_t, kArgumentRegionSize> region) {
    std::fill_n(region.begin() + kCountOffset, kCountRecordSize, std::uint8_t{0});
}

std::wstring instanceName(std::wstring_view executablePath) {
    std::wstring name(executablePath);
    std::replace(name.begin(), name.end(), L'\\', L'_');
    if (name.size() <= kMaxInstanceName) {
        return name;
    }
    std::vector<std::uint8_t> units;
    for (const char16_t unit : toUtf16Units(name)) {
        appendU16(units, unit);
    }
    const std::string digits = hexDigits(fnv1a(units));
    name.resize(kMaxInstanceName - kHashDigits - 1);
    name += L'_';
    name.append(digits.begin(), digits.end());
    return name;
}

std::string instanceSocketName(std::string_view canonicalPath, std::uint32_t userId) {
    return "jlaunch-" + toNarrow(decimalText(userId)) + "-" + hexDigits(fnv1a(canonicalPath));
}

}  // namespace jlaunch
