#pragma once
// The platform's cryptography for the embedded settings: PBKDF2 with
// HMAC-SHA-256 for the key and AES-256-GCM for the text (BCrypt on Windows,
// OpenSSL's libcrypto on Linux). Nothing here is written by hand.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace jlaunch {

using SettingsKey = std::array<std::uint8_t, 32>;
using GcmNonce = std::array<std::uint8_t, 12>;
using GcmTag = std::array<std::uint8_t, 16>;

// PBKDF2-HMAC-SHA-256 of `secret` with `salt`; false when the platform
// refuses (then `key` is unspecified).
bool deriveKeyPbkdf2Sha256(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
                           std::uint32_t iterations, SettingsKey& key);

// AES-256-GCM. `open` is true only when the tag authenticates the header
// (`associated`) and the ciphertext under the key; only then is `plain` set.
bool sealAes256Gcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                   std::span<const std::uint8_t> plain, std::vector<std::uint8_t>& cipher, GcmTag& tag);
bool openAes256Gcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                   std::span<const std::uint8_t> cipher, const GcmTag& tag, std::vector<std::uint8_t>& plain);

// Bytes from the system's cryptographic random source.
bool randomBytes(std::span<std::uint8_t> out);

}  // namespace jlaunch
