#pragma once
// BCrypt's functions, bound at run time. bcrypt.dll is not one of Windows'
// KnownDLLs: imported statically, the loader would take a copy planted
// beside the exe before any code of ours could restrict the search. It is
// loaded from the system folder, and only when there are settings to open.
#include <windows.h>
#include <bcrypt.h>

namespace jlaunch::bcrypt {

struct Api {
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithmProvider = nullptr;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithmProvider = nullptr;
    decltype(&BCryptSetProperty) setProperty = nullptr;
    decltype(&BCryptGenerateSymmetricKey) generateSymmetricKey = nullptr;
    decltype(&BCryptDestroyKey) destroyKey = nullptr;
    decltype(&BCryptDecrypt) decrypt = nullptr;
    decltype(&BCryptEncrypt) encrypt = nullptr;
    decltype(&BCryptDeriveKeyPBKDF2) deriveKeyPbkdf2 = nullptr;
    decltype(&BCryptGenRandom) genRandom = nullptr;
};

// The system's bcrypt.dll, loaded on first use and kept; null when it or one
// of the functions is missing.
const Api* api();

}  // namespace jlaunch::bcrypt
