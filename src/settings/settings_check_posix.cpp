#include "common/trace.h"
#include "settings/settings_check.h"

namespace jlaunch {

void traceSettingNames(const LayeredSettings& store) {
    for (const NameNotice& notice : checkSettingNames(outlineOf(store.file()), false)) {
        trace("settings file: ", describe(notice));
    }
    for (const NameNotice& notice : checkSettingNames(outlineOf(store.embedded()), true)) {
        trace("embedded settings: ", describe(notice));
    }
}

}  // namespace jlaunch
