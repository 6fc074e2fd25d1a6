#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>

#include "common/unique_resource.h"
#include "settings/settings_cipher.h"

namespace jlaunch {

namespace {

void freeCipherContext(EVP_CIPHER_CTX* context) noexcept {
    EVP_CIPHER_CTX_free(context);
}
using UniqueCipherContext = UniqueResource<ClosedBy<EVP_CIPHER_CTX*, &freeCipherContext>>;

// libcrypto counts in int.
bool fitsInt(std::size_t size) {
    return size <= static_cast<std::size_t>(INT_MAX);
}

int intSize(std::size_t size) {
    return static_cast<int>(size);
}

// Starts AES-256-GCM with key and nonce and feeds the associated data.
UniqueCipherContext startGcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                             bool encrypt) {
    UniqueCipherContext context(EVP_CIPHER_CTX_new());
    if (!context || !fitsInt(associated.size())) {
        return UniqueCipherContext();
    }
    const int direction = encrypt ? 1 : 0;
    int ignored = 0;
    if (EVP_CipherInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, direction) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, intSize(nonce.size()), nullptr) != 1 ||
        EVP_CipherInit_ex(context.get(), nullptr, nullptr, key.data(), nonce.data(), direction) != 1 ||
        (!associated.empty() &&
         EVP_CipherUpdate(context.get(), nullptr, &ignored, associated.data(), intSize(associated.size())) != 1)) {
        return UniqueCipherContext();
    }
    return context;
}

}  // namespace

bool deriveKeyPbkdf2Sha256(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
                           std::uint32_t iterations, SettingsKey& key) {
    if (!fitsInt(secret.size()) || !fitsInt(salt.size()) || iterations == 0 || iterations > INT_MAX) {
        return false;
    }
    // An empty secret is still a secret of length 0; libcrypto wants a pointer.
    static const char kEmpty = 0;
    const char* password = secret.empty() ? &kEmpty : reinterpret_cast<const char*>(secret.data());
    return PKCS5_PBKDF2_HMAC(password, intSize(secret.size()), salt.data(), intSize(salt.size()),
                             static_cast<int>(iterations), EVP_sha256(), intSize(key.size()), key.data()) == 1;
}

bool sealAes256Gcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                   std::span<const std::uint8_t> plain, std::vector<std::uint8_t>& cipher, GcmTag& tag) {
    auto context = startGcm(key, nonce, associated, true);
    if (!context || !fitsInt(plain.size())) {
        return false;
    }
    cipher.assign(plain.size() + 16, 0);
    int written = 0;
    int finalWritten = 0;
    if ((!plain.empty() &&
         EVP_CipherUpdate(context.get(), cipher.data(), &written, plain.data(), intSize(plain.size())) != 1) ||
        EVP_CipherFinal_ex(context.get(), cipher.data() + written, &finalWritten) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, intSize(tag.size()), tag.data()) != 1) {
        return false;
    }
    cipher.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(finalWritten));
    return true;
}

bool openAes256Gcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                   std::span<const std::uint8_t> cipher, const GcmTag& tag, std::vector<std::uint8_t>& plain) {
    auto context = startGcm(key, nonce, associated, false);
    if (!context || !fitsInt(cipher.size())) {
        return false;
    }
    std::vector<std::uint8_t> out(cipher.size() + 16, 0);
    int written = 0;
    int finalWritten = 0;
    GcmTag expected = tag;
    if ((!cipher.empty() &&
         EVP_CipherUpdate(context.get(), out.data(), &written, cipher.data(), intSize(cipher.size())) != 1) ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, intSize(expected.size()), expected.data()) != 1 ||
        EVP_CipherFinal_ex(context.get(), out.data() + written, &finalWritten) != 1) {
        return false;  // the tag does not authenticate: nothing of `out` is used
    }
    out.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(finalWritten));
    plain = std::move(out);
    return true;
}

bool randomBytes(std::span<std::uint8_t> out) {
    return fitsInt(out.size()) && RAND_bytes(out.data(), intSize(out.size())) == 1;
}

}  // namespace jlaunch
