#include <array>

#include "common/file_reader.h"
#include "common/system.h"
#include "settings/embedded_settings.h"
#include "settings/settings_trailer.h"

namespace jlaunch {

CarriedBytes readCarriedSettings() {
    CarriedBytes carried;
    std::uint32_t error = 0;
    const auto executable = executablePath(error);
    if (!executable) {
        return carried;
    }
    const FileReader file(*executable);
    std::array<std::uint8_t, kTrailerFooterSize> footer{};
    if (!file.isOpen() || file.size() < footer.size() ||
        !file.readAt(file.size() - footer.size(), footer.size(), footer.data())) {
        return carried;
    }
    TrailerPlace place;
    const TrailerCheck check = findTrailer(footer, file.size(), place);
    carried.present = check != TrailerCheck::None;
    carried.damaged = check == TrailerCheck::Damaged;
    if (check == TrailerCheck::Found) {
        carried.bytes.resize(static_cast<std::size_t>(place.size));
        carried.damaged = !file.readAt(place.offset, carried.bytes.size(), carried.bytes.data());
    }
    return carried;
}

}  // namespace jlaunch
