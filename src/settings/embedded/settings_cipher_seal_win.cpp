// The enciphering side, which only the packer uses (see bcrypt_gcm_win.h).
#include "settings/embedded/bcrypt_gcm_win.h"

namespace jlaunch {

using namespace bcrypt;

bool sealAes256Gcm(const SettingsKey& key, const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                   std::span<const std::uint8_t> plain, std::vector<std::uint8_t>& cipher, GcmTag& tag) {
    if (!fitsUlong(plain.size()) || !fitsUlong(associated.size())) {
        return false;
    }
    UniqueAlgorithm algorithm;
    const UniqueKey handle = gcmKey(key, algorithm);
    if (!handle) {
        return false;
    }
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = modeInfo(nonce, associated, tag);
    std::vector<std::uint8_t> out(plain.size() + 1);
    ULONG written = 0;
    if (!succeeded(api()->encrypt(handle.get(), input(plain), static_cast<ULONG>(plain.size()), &info, nullptr, 0,
                                 out.data(), static_cast<ULONG>(plain.size()), &written, 0))) {
        return false;
    }
    out.resize(written);
    cipher = std::move(out);
    return true;
}

bool randomBytes(std::span<std::uint8_t> out) {
    return fitsUlong(out.size()) && api() != nullptr && succeeded(api()->genRandom(nullptr, out.data(), static_cast<ULONG>(out.size()),
                                                              BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

}  // namespace jlaunch
