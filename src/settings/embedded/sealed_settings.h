#pragma once
// The enciphered form of the embedded settings text, under a key derived
// from the "Upgrade Code". Layout, all numbers little endian:
//   "JLS1" | PBKDF2 iterations (u32) | salt (16) | GCM nonce (12) | ciphertext | GCM tag (16)
// The 36 header bytes are authenticated with the text, so no part of the
// envelope can be changed unnoticed. The plaintext is UTF-8 INI text
// without a byte-order mark.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

inline constexpr std::size_t kSealedHeaderSize = 36;
inline constexpr std::size_t kSealedMinimumSize = kSealedHeaderSize + 16;
// Large enough for any settings file, small enough that a damaged length
// can never make the launcher allocate much.
inline constexpr std::size_t kSealedMaximumSize = std::size_t{4} * 1024 * 1024;
// The code ships in plain beside the exe, so stretching buys little; this
// keeps a launch fast. A stored count above the maximum is refused, so a
// damaged header cannot stall the launch.
inline constexpr std::uint32_t kSealedIterations = 10000;
inline constexpr std::uint32_t kSealedMaximumIterations = 1000000;

enum class SealedStatus {
    Opened,        // `text` holds the settings
    Malformed,     // not an envelope of this format: truncated, wrong mark, sizes out of range
    NotAuthentic,  // the tag does not match: wrong or missing code, or altered bytes
    Unavailable,   // the platform's cryptography refused to work
};

struct OpenedSettings {
    SealedStatus status = SealedStatus::Malformed;
    std::wstring text;
};

// Enciphers `text` under `upgradeCode`; nothing when the platform refuses.
std::optional<std::vector<std::uint8_t>> sealSettingsText(std::wstring_view text, std::wstring_view upgradeCode,
                                                          std::uint32_t iterations = kSealedIterations);

// As sealSettingsText, with the salt and nonce given rather than drawn:
// tests compare such envelopes byte for byte across the two packers.
std::optional<std::vector<std::uint8_t>> sealSettingsTextWith(std::wstring_view text, std::wstring_view upgradeCode,
                                                              std::uint32_t iterations,
                                                              std::span<const std::uint8_t, 16> salt,
                                                              std::span<const std::uint8_t, 12> nonce);

// Deciphers and authenticates an envelope. Nothing of a failing envelope is
// ever returned as text.
OpenedSettings openSealedSettings(std::span<const std::uint8_t> sealed, std::wstring_view upgradeCode);

}  // namespace jlaunch
