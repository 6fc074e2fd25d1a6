#include "settings/sealed_settings.h"

#include <algorithm>
#include <array>
#include <string>

#include "settings/settings_cipher.h"
#include "common/utf8_text.h"

namespace jlaunch {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'J', 'L', 'S', '1'};
constexpr std::size_t kIterationsOffset = 4;
constexpr std::size_t kSaltOffset = 8;
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kNonceOffset = kSaltOffset + kSaltSize;
constexpr std::size_t kTagSize = 16;

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool deriveKey(std::wstring_view upgradeCode, std::span<const std::uint8_t> salt, std::uint32_t iterations,
               SettingsKey& key) {
    const std::string secret = toUtf8(upgradeCode);
    return deriveKeyPbkdf2Sha256(bytesOf(secret), salt, iterations, key);
}

void putUint32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t getUint32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return value;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> sealSettingsText(std::wstring_view text, std::wstring_view upgradeCode,
                                                          std::uint32_t iterations) {
    const std::string plain = toUtf8(text);
    if (iterations == 0 || iterations > kSealedMaximumIterations ||
        plain.size() > kSealedMaximumSize - kSealedMinimumSize) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> sealed(kSealedHeaderSize, 0);
    std::copy(kMagic.begin(), kMagic.end(), sealed.begin());
    putUint32(sealed, kIterationsOffset, iterations);
    GcmNonce nonce{};
    const std::span<std::uint8_t> salt(sealed.data() + kSaltOffset, kSaltSize);
    if (!randomBytes(salt) || !randomBytes(nonce)) {
        return std::nullopt;
    }
    std::copy(nonce.begin(), nonce.end(), sealed.begin() + kNonceOffset);
    SettingsKey key{};
    std::vector<std::uint8_t> cipher;
    GcmTag tag{};
    const std::vector<std::uint8_t> header = sealed;
    if (!deriveKey(upgradeCode, salt, iterations, key) ||
        !sealAes256Gcm(key, nonce, header, bytesOf(plain), cipher, tag)) {
        return std::nullopt;
    }
    sealed.insert(sealed.end(), cipher.begin(), cipher.end());
    sealed.insert(sealed.end(), tag.begin(), tag.end());
    return sealed;
}

OpenedSettings openSealedSettings(std::span<const std::uint8_t> sealed, std::wstring_view upgradeCode) {
    OpenedSettings result;
    if (sealed.size() < kSealedMinimumSize || sealed.size() > kSealedMaximumSize ||
        !std::equal(kMagic.begin(), kMagic.end(), sealed.begin())) {
        return result;
    }
    const std::uint32_t iterations = getUint32(sealed, kIterationsOffset);
    if (iterations == 0 || iterations > kSealedMaximumIterations) {
        return result;
    }
    GcmNonce nonce{};
    std::copy_n(sealed.begin() + kNonceOffset, nonce.size(), nonce.begin());
    GcmTag tag{};
    std::copy_n(sealed.end() - kTagSize, tag.size(), tag.begin());
    const auto header = sealed.first(kSealedHeaderSize);
    const auto cipher = sealed.subspan(kSealedHeaderSize, sealed.size() - kSealedMinimumSize);

    SettingsKey key{};
    if (!deriveKey(upgradeCode, sealed.subspan(kSaltOffset, kSaltSize), iterations, key)) {
        result.status = SealedStatus::Unavailable;
        return result;
    }
    std::vector<std::uint8_t> plain;
    if (!openAes256Gcm(key, nonce, header, cipher, tag, plain)) {
        result.status = SealedStatus::NotAuthentic;
        return result;
    }
    // Authentic text is what the packer wrote: always well-formed.
    auto text = fromUtf8(std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()));
    if (!text) {
        return result;
    }
    result.text = std::move(*text);
    result.status = SealedStatus::Opened;
    return result;
}

}  // namespace jlaunch
