#include "settings/embedded/embedded_settings.h"

#include "settings/embedded/sealed_settings.h"

namespace jlaunch {

EmbeddedText openEmbeddedSettings(const CarriedBytes& carried, const std::wstring& upgradeCode) {
    EmbeddedText result;
    if (!carried.present) {
        return result;
    }
    if (carried.damaged) {
        result.status = EmbeddedStatus::Damaged;
        return result;
    }
    if (upgradeCode.empty()) {
        result.status = EmbeddedStatus::CodeMissing;
        return result;
    }
    OpenedSettings opened = openSealedSettings(carried.bytes, upgradeCode);
    switch (opened.status) {
        case SealedStatus::Opened:
            result.status = EmbeddedStatus::Opened;
            result.text = std::move(opened.text);
            break;
        case SealedStatus::Malformed:
            result.status = EmbeddedStatus::Damaged;
            break;
        case SealedStatus::NotAuthentic:
        case SealedStatus::Unavailable:
            result.status = EmbeddedStatus::NotAuthentic;
            break;
    }
    return result;
}

}  // namespace jlaunch
