#include "common/trace.h"
#include "settings/settings_check.h"

namespace jlaunch {

// The Windows exe has no room for the names check (7.5 KB of its 256, as
// linked): the packaging tool, which runs on Windows too, does it.
void traceSettingNames(const LayeredSettings&) {
    trace("section and key names are not checked here: jlaunch-pack --check names the ones the launcher does not know");
}

}  // namespace jlaunch
