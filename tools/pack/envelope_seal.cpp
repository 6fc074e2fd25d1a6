#include "envelope_seal.h"

#include <array>
#include <cstdlib>

#include "settings/embedded/sealed_settings.h"

namespace jlaunch::pack {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> sealForPacking(std::wstring_view text, std::wstring_view upgradeCode,
                                                        std::string& note, std::string& error) {
    const char* fixed = std::getenv(kFixedSaltNonceVariable);
    if (fixed == nullptr) {
        auto sealed = sealSettingsText(text, upgradeCode);
        if (!sealed) {
            error = "the system's cryptography could not encipher the settings";
        }
        return sealed;
    }
    const std::string_view digits(fixed);
    std::array<std::uint8_t, 28> bytes{};
    bool valid = digits.size() == 2 * bytes.size();
    for (std::size_t i = 0; valid && i < bytes.size(); ++i) {
        const int high = hexDigit(digits[2 * i]);
        const int low = hexDigit(digits[2 * i + 1]);
        valid = high >= 0 && low >= 0;
        bytes[i] = static_cast<std::uint8_t>(valid ? high * 16 + low : 0);
    }
    if (!valid) {
        error =
            std::string(kFixedSaltNonceVariable) + " must be 56 hex digits: the salt (16 bytes), then the nonce (12)";
        return std::nullopt;
    }
    auto sealed = sealSettingsTextWith(text, upgradeCode, kSealedIterations, std::span(bytes).first<16>(),
                                       std::span(bytes).subspan<16, 12>());
    if (!sealed) {
        error = "the system's cryptography could not encipher the settings";
        return std::nullopt;
    }
    note = "jlaunch-pack: note: salt and nonce fixed by " + std::string(kFixedSaltNonceVariable) +
           "; for tests only, never for a release\n";
    return sealed;
}

}  // namespace jlaunch::pack
