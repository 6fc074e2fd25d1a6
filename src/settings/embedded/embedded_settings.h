#pragma once
// The settings text the launcher carries inside its own file, enciphered
// under a key derived from the "Upgrade Code" of the settings file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jlaunch {

// The name of the RT_RCDATA resource that carries the envelope on Windows.
inline constexpr wchar_t kEmbeddedSettingsResource[] = L"JLAUNCH_SETTINGS";

enum class EmbeddedStatus {
    None,          // the launcher carries no settings: they are empty
    Opened,        // `text` holds them
    CodeMissing,   // there are some, but the settings file has no "Upgrade Code"
    NotAuthentic,  // the code is wrong, or the carried bytes were altered
    Damaged,       // the carried bytes are cut short or not an envelope
};

struct EmbeddedText {
    EmbeddedStatus status = EmbeddedStatus::None;
    std::wstring text;
};

// The carried envelope, if any; `damaged` when there is one but it cannot
// be read whole.
struct CarriedBytes {
    bool present = false;
    bool damaged = false;
    std::vector<std::uint8_t> bytes;
};
CarriedBytes readCarriedSettings();

// Opens carried bytes with the code.
EmbeddedText openEmbeddedSettings(const CarriedBytes& carried, const std::wstring& upgradeCode);

}  // namespace jlaunch
