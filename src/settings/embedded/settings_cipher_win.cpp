#include "settings/embedded/bcrypt_gcm_win.h"

namespace jlaunch {

namespace bcrypt {

UniqueKey gcmKey(const SettingsKey& key, UniqueAlgorithm& algorithm) {
    const Api* bcrypt = api();
    if (bcrypt == nullptr || !succeeded(bcrypt->openAlgorithmProvider(algorithm.out(), BCRYPT_AES_ALGORITHM, nullptr, 0))) {
        return UniqueKey();
    }
    BCRYPT_ALG_HANDLE handle = algorithm.get();
    auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM));
    if (!succeeded(bcrypt->setProperty(handle, BCRYPT_CHAINING_MODE, mode, sizeof(BCRYPT_CHAIN_MODE_GCM), 0))) {
        return UniqueKey();
    }
    UniqueKey keyHandle;
    if (!succeeded(bcrypt->generateSymmetricKey(handle, keyHandle.out(), nullptr, 0, input(key),
                                              static_cast<ULONG>(key.size()), 0))) {
        return UniqueKey();
    }
    return keyHandle;
}

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO modeInfo(const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                                               GcmTag& tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = input(nonce);
    info.cbNonce = static_cast<ULONG>(nonce.size());
    info.pbAuthData = associated.empty() ? nullptr : input(associated);
    info.cbAuthData = static_cast<ULONG>(associated.size());
    info.pbTag = tag.data();
    info.cbTag = static_cast<ULONG>(tag.size());
    return info;
}

}  // namespace bcrypt

using namespace bcrypt;

bool deriveKeyPbkdf2Sha256(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
                           std::uint32_t iterations, SettingsKey& key) {
    if (!fitsUlong(secret.size()) || !fitsUlong(salt.size()) || iterations == 0) {
        return false;
    }
    const Api* bcrypt = api();
    UniqueAlgorithm algorithm;
    if (bcrypt == nullptr || !succeeded(bcrypt->openAlgorithmProvider(algorithm.out(), BCRYPT_SHA256_ALGORITHM,
                                                                      nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
        return false;
    }
    return succeeded(bcrypt->deriveKeyPbkdf2(algorithm.get(), input(secret), static_cast<ULONG>(secret.size()),
                                           input(salt), static_cast<ULONG>(salt.size()), iterations, key.data(),
                                           static_cast<ULONG>(key.size()), 0));
}

bool openAes256Gcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                   std::span<const std::uint8_t> cipher, const GcmTag& tag, std::vector<std::uint8_t>& plain) {
    if (!fitsUlong(cipher.size()) || !fitsUlong(associated.size())) {
        return false;
    }
    UniqueAlgorithm algorithm;
    const UniqueKey handle = gcmKey(key, algorithm);
    if (!handle) {
        return false;
    }
    GcmTag expected = tag;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = modeInfo(nonce, associated, expected);
    std::vector<std::uint8_t> out(cipher.size() + 1);
    ULONG written = 0;
    // A tag that does not authenticate gives STATUS_AUTH_TAG_MISMATCH.
    if (!succeeded(api()->decrypt(handle.get(), input(cipher), static_cast<ULONG>(cipher.size()), &info, nullptr, 0,
                                 out.data(), static_cast<ULONG>(cipher.size()), &written, 0))) {
        return false;
    }
    out.resize(written);
    plain = std::move(out);
    return true;
}

}  // namespace jlaunch
