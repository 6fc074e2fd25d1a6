// The sealing side of the envelope, which only the packer uses: apart from
// the opening so that the launcher exe does not carry it.
#include <algorithm>
#include <array>
#include <string>

#include "common/byte_order.h"
#include "common/utf8_text.h"
#include "settings/embedded/sealed_envelope.h"
#include "settings/embedded/sealed_settings.h"

namespace jlaunch {

using namespace envelope;

std::optional<std::vector<std::uint8_t>> sealSettingsText(std::wstring_view text, std::wstring_view upgradeCode,
                                                          std::uint32_t iterations) {
    std::array<std::uint8_t, kSaltSize> salt{};
    GcmNonce nonce{};
    if (!randomBytes(salt) || !randomBytes(nonce)) {
        return std::nullopt;
    }
    return sealSettingsTextWith(text, upgradeCode, iterations, salt, nonce);
}

std::optional<std::vector<std::uint8_t>> sealSettingsTextWith(std::wstring_view text, std::wstring_view upgradeCode,
                                                              std::uint32_t iterations,
                                                              std::span<const std::uint8_t, 16> salt,
                                                              std::span<const std::uint8_t, 12> nonce) {
    const std::string plain = toUtf8(text);
    if (iterations == 0 || iterations > kSealedMaximumIterations ||
        plain.size() > kSealedMaximumSize - kSealedMinimumSize) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> sealed(kSealedHeaderSize, 0);
    std::copy(kMagic.begin(), kMagic.end(), sealed.begin());
    writeU32(sealed, kIterationsOffset, iterations);
    std::copy(salt.begin(), salt.end(), sealed.begin() + kSaltOffset);
    std::copy(nonce.begin(), nonce.end(), sealed.begin() + kNonceOffset);
    GcmNonce gcmNonce{};
    std::copy(nonce.begin(), nonce.end(), gcmNonce.begin());
    SettingsKey key{};
    std::vector<std::uint8_t> cipher;
    GcmTag tag{};
    const std::vector<std::uint8_t> header = sealed;
    if (!deriveKey(upgradeCode, salt, iterations, key) ||
        !sealAes256Gcm(key, gcmNonce, header, bytesOf(plain), cipher, tag)) {
        return std::nullopt;
    }
    sealed.insert(sealed.end(), cipher.begin(), cipher.end());
    sealed.insert(sealed.end(), tag.begin(), tag.end());
    return sealed;
}

}  // namespace jlaunch
