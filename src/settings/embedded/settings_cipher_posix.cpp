#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>

#include "common/trace.h"
#include "common/unique_resource.h"
#include "settings/embedded/settings_cipher.h"

namespace jlaunch {

namespace {

void closeLibrary(void* library) noexcept {
    dlclose(library);
}
using UniqueLibrary = UniqueResource<ClosedBy<void*, &closeLibrary>>;

// libcrypto is loaded when settings are first enciphered or deciphered, not
// linked: a launch without embedded settings never pays for loading it.
struct Crypto {
    decltype(&EVP_CIPHER_CTX_new) contextNew = nullptr;
    decltype(&EVP_CIPHER_CTX_free) contextFree = nullptr;
    decltype(&EVP_CIPHER_CTX_ctrl) contextControl = nullptr;
    decltype(&EVP_CipherInit_ex) cipherInit = nullptr;
    decltype(&EVP_CipherUpdate) cipherUpdate = nullptr;
    decltype(&EVP_CipherFinal_ex) cipherFinal = nullptr;
    decltype(&EVP_aes_256_gcm) aes256Gcm = nullptr;
    decltype(&EVP_sha256) sha256 = nullptr;
    decltype(&PKCS5_PBKDF2_HMAC) pbkdf2 = nullptr;
    decltype(&RAND_bytes) randomBytes = nullptr;
    UniqueLibrary library;

    Crypto() {
        // Never unmapped: libcrypto runs its own clean-up at exit.
        for (const char* name : {"libcrypto.so.3", "libcrypto.so.1.1"}) {
            library = UniqueLibrary(dlopen(name, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
            if (library) {
                break;
            }
        }
        if (!library || !resolve(contextNew, "EVP_CIPHER_CTX_new") || !resolve(contextFree, "EVP_CIPHER_CTX_free") ||
            !resolve(contextControl, "EVP_CIPHER_CTX_ctrl") || !resolve(cipherInit, "EVP_CipherInit_ex") ||
            !resolve(cipherUpdate, "EVP_CipherUpdate") || !resolve(cipherFinal, "EVP_CipherFinal_ex") ||
            !resolve(aes256Gcm, "EVP_aes_256_gcm") || !resolve(sha256, "EVP_sha256") ||
            !resolve(pbkdf2, "PKCS5_PBKDF2_HMAC") || !resolve(randomBytes, "RAND_bytes")) {
            trace("libcrypto could not be loaded: ", library ? "an entry point is missing" : "no libcrypto.so.3");
            library = UniqueLibrary();
        }
    }

    template <typename Function>
    bool resolve(Function& function, const char* name) {
        function = reinterpret_cast<Function>(dlsym(library.get(), name));
        return function != nullptr;
    }
};

// Nothing when libcrypto is missing: the settings then do not open.
const Crypto* crypto() {
    static const Crypto loaded;
    return loaded.library ? &loaded : nullptr;
}

void freeCipherContext(EVP_CIPHER_CTX* context) noexcept {
    crypto()->contextFree(context);
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
    const Crypto* functions = crypto();
    if (functions == nullptr) {
        return UniqueCipherContext();
    }
    UniqueCipherContext context(functions->contextNew());
    if (!context || !fitsInt(associated.size())) {
        return UniqueCipherContext();
    }
    const int direction = encrypt ? 1 : 0;
    int ignored = 0;
    if (functions->cipherInit(context.get(), functions->aes256Gcm(), nullptr, nullptr, nullptr, direction) != 1 ||
        functions->contextControl(context.get(), EVP_CTRL_GCM_SET_IVLEN, intSize(nonce.size()), nullptr) != 1 ||
        functions->cipherInit(context.get(), nullptr, nullptr, key.data(), nonce.data(), direction) != 1 ||
        (!associated.empty() && functions->cipherUpdate(context.get(), nullptr, &ignored, associated.data(),
                                                        intSize(associated.size())) != 1)) {
        return UniqueCipherContext();
    }
    return context;
}

}  // namespace

bool deriveKeyPbkdf2Sha256(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
                           std::uint32_t iterations, SettingsKey& key) {
    const Crypto* functions = crypto();
    if (functions == nullptr || !fitsInt(secret.size()) || !fitsInt(salt.size()) || iterations == 0 ||
        iterations > INT_MAX) {
        return false;
    }
    // An empty secret is still a secret of length 0; libcrypto wants a pointer.
    static const char kEmpty = 0;
    const char* password = secret.empty() ? &kEmpty : reinterpret_cast<const char*>(secret.data());
    return functions->pbkdf2(password, intSize(secret.size()), salt.data(), intSize(salt.size()),
                             static_cast<int>(iterations), functions->sha256(), intSize(key.size()), key.data()) == 1;
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
         crypto()->cipherUpdate(context.get(), cipher.data(), &written, plain.data(), intSize(plain.size())) != 1) ||
        crypto()->cipherFinal(context.get(), cipher.data() + written, &finalWritten) != 1 ||
        crypto()->contextControl(context.get(), EVP_CTRL_GCM_GET_TAG, intSize(tag.size()), tag.data()) != 1) {
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
         crypto()->cipherUpdate(context.get(), out.data(), &written, cipher.data(), intSize(cipher.size())) != 1) ||
        crypto()->contextControl(context.get(), EVP_CTRL_GCM_SET_TAG, intSize(expected.size()), expected.data()) != 1 ||
        crypto()->cipherFinal(context.get(), out.data() + written, &finalWritten) != 1) {
        return false;  // the tag does not authenticate: nothing of `out` is used
    }
    out.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(finalWritten));
    plain = std::move(out);
    return true;
}

bool randomBytes(std::span<std::uint8_t> out) {
    const Crypto* functions = crypto();
    return functions != nullptr && fitsInt(out.size()) && functions->randomBytes(out.data(), intSize(out.size())) == 1;
}

}  // namespace jlaunch
