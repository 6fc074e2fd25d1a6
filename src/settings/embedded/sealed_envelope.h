#pragma once
// The envelope layout shared by the sealing (the packer's side) and the
// opening (the launcher's); the layout is written down in FORMAT.md.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "settings/embedded/settings_cipher.h"

namespace jlaunch::envelope {

inline constexpr std::array<std::uint8_t, 4> kMagic = {'J', 'L', 'S', '1'};
inline constexpr std::size_t kIterationsOffset = 4;
inline constexpr std::size_t kSaltOffset = 8;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kNonceOffset = kSaltOffset + kSaltSize;
inline constexpr std::size_t kTagSize = 16;

inline std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The key of an envelope: PBKDF2 of the code's UTF-8 bytes with its salt.
bool deriveKey(std::wstring_view upgradeCode, std::span<const std::uint8_t> salt, std::uint32_t iterations,
               SettingsKey& key);

}  // namespace jlaunch::envelope
