#include "settings/embedded/sealed_settings.h"

#include <algorithm>
#include <string>

#include "common/byte_order.h"
#include "common/utf8_text.h"
#include "settings/embedded/sealed_envelope.h"

namespace jlaunch {

namespace envelope {

bool deriveKey(std::wstring_view upgradeCode, std::span<const std::uint8_t> salt, std::uint32_t iterations,
               SettingsKey& key) {
    const std::string secret = toUtf8(upgradeCode);
    return deriveKeyPbkdf2Sha256(bytesOf(secret), salt, iterations, key);
}

}  // namespace envelope

using namespace envelope;

OpenedSettings openSealedSettings(std::span<const std::uint8_t> sealed, std::wstring_view upgradeCode) {
    OpenedSettings result;
    if (sealed.size() < kSealedMinimumSize || sealed.size() > kSealedMaximumSize ||
        !std::equal(kMagic.begin(), kMagic.end(), sealed.begin())) {
        return result;
    }
    const std::uint32_t iterations = readU32(sealed, kIterationsOffset);
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
