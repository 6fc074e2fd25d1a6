#include <optional>

#include "common/failure.h"
#include "common/text.h"
#include "common/trace.h"
#include "jvmhost/standard_output.h"
#include "jvmhost/startup_cache.h"
#include "launcher/launcher.h"

namespace jlaunch {

std::int32_t runLauncher() {
    // The child that makes a start-up cache traces to its output, which its
    // parent traces: the trace file stays the parent's.
    if (const auto made = runStartupCacheChild()) {
        return *made;
    }
    openTrace();
    std::int32_t code = -1;
    std::optional<Launcher> launcher;
    const auto failure = catchInternalFailure([&] {
        code = launcher.emplace().launch();
        launcher.reset();
        // The application's last lines reach the launcher's own output before the process ends.
        settleStandardOutput();
        processEndsWith(code);
    });
    if (!failure) {
        return code;
    }
    // The teardown, as after a normal end, before the message.
    launcher.reset();
    trace("internal failure: ", trimWhiteSpace(failureText(*failure)));
    showFailure(nullptr, *failure);
    return -1;
}

}  // namespace jlaunch
