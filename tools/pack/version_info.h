#pragma once
// The version resource (VS_VERSIONINFO) of a packed exe: fixed numbers and
// the strings Explorer shows, in US English, Unicode.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace jlaunch::pack {

using VersionNumbers = std::array<std::uint16_t, 4>;

// "1.2.3.4", "1.2" or "7": one to four numbers of 0 to 65535; missing ones are 0.
std::optional<VersionNumbers> parseVersionNumbers(std::u16string_view text);
std::u16string versionText(const VersionNumbers& numbers);

// The file version of an existing version resource, if it has one.
std::optional<VersionNumbers> fileVersionOf(std::span<const std::uint8_t> resource);

struct VersionStrings {
    VersionNumbers numbers{};
    // Name and value pairs of the string table, in order; empty values are left out.
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// Nothing when the strings are too long for the resource's 16-bit lengths.
std::optional<std::vector<std::uint8_t>> buildVersionResource(const VersionStrings& version);

}  // namespace jlaunch::pack
