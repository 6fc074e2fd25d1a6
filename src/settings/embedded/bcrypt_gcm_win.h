#pragma once
// BCrypt's AES-256-GCM as both directions use it: the deciphering the
// launcher needs (settings_cipher_win.cpp) and the enciphering only the
// packer needs (settings_cipher_seal_win.cpp), kept apart so that the
// launcher exe carries none of the latter.
#include <windows.h>
#include <bcrypt.h>

#include "common/unique_resource.h"
#include "settings/embedded/bcrypt_api_win.h"
#include "settings/embedded/settings_cipher.h"

namespace jlaunch::bcrypt {

// Handles exist only after api() gave the functions that made them.
inline void closeAlgorithm(BCRYPT_ALG_HANDLE algorithm) noexcept {
    api()->closeAlgorithmProvider(algorithm, 0);
}
inline void destroyKey(BCRYPT_KEY_HANDLE key) noexcept {
    api()->destroyKey(key);
}
using UniqueAlgorithm = UniqueResource<ClosedBy<BCRYPT_ALG_HANDLE, &closeAlgorithm>>;
using UniqueKey = UniqueResource<ClosedBy<BCRYPT_KEY_HANDLE, &destroyKey>>;

inline bool succeeded(NTSTATUS status) {
    return status >= 0;
}

inline bool fitsUlong(std::size_t size) {
    return size <= 0xFFFFFFFFu;
}

// BCrypt takes non-const buffers it only reads; an empty one still needs an address.
inline PUCHAR input(std::span<const std::uint8_t> bytes) {
    static UCHAR empty = 0;
    return bytes.empty() ? &empty : const_cast<PUCHAR>(bytes.data());
}

// An AES key in GCM mode; `algorithm` must outlive it.
UniqueKey gcmKey(const SettingsKey& key, UniqueAlgorithm& algorithm);

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO modeInfo(const GcmNonce& nonce, std::span<const std::uint8_t> associated,
                                               GcmTag& tag);

}  // namespace jlaunch::bcrypt
