#pragma once
// The envelope a packing embeds: a fresh salt and nonce, unless a test fixes
// them through the environment to compare packers byte for byte.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch::pack {

// Names 56 hex digits: the salt (16 bytes), then the nonce (12). An
// environment variable rather than an option, so that no packager's command
// line can reuse a nonce by accident; a packing under it says so.
inline constexpr char kFixedSaltNonceVariable[] = "JLAUNCH_PACK_FIXED_SALT_NONCE";

// Nothing (and `error` set) when the system refuses, or the variable is set
// but malformed; `note` tells when the variable fixed salt and nonce.
std::optional<std::vector<std::uint8_t>> sealForPacking(std::wstring_view text, std::wstring_view upgradeCode,
                                                        std::string& note, std::string& error);

}  // namespace jlaunch::pack
