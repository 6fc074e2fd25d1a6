#include "common/file_reader.h"
#include "common/system.h"
#include "settings/embedded/embedded_settings.h"
#include "settings/embedded/settings_trailer.h"

namespace jlaunch {

CarriedBytes readCarriedSettings() {
    CarriedBytes carried;
    std::uint32_t error = 0;
    const auto executable = executablePath(error);
    if (!executable) {
        return carried;
    }
    const FileReader file(*executable);
    if (!file.isOpen()) {
        return carried;
    }
    TrailerPlace place;
    const TrailerCheck check = examineLauncherFile(
        [&file](std::uint64_t offset, std::size_t count, void* out) { return file.readAt(offset, count, out); },
        file.size(), place);
    carried.present = check != TrailerCheck::None;
    carried.damaged = check == TrailerCheck::Damaged;
    if (check == TrailerCheck::Found) {
        carried.bytes.resize(static_cast<std::size_t>(place.size));
        carried.damaged = !file.readAt(place.offset, carried.bytes.size(), carried.bytes.data());
    }
    return carried;
}

}  // namespace jlaunch
