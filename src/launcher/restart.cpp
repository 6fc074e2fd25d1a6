#include "launcher/restart.h"

#include "common/environment.h"
#include "common/system.h"
#include "common/text.h"
#include "common/trace.h"

namespace jlaunch {

int takeRestartCount() {
    const auto value = environmentVariable(kRestartCountVariable);
    if (!value) {
        return 0;
    }
    removeEnvironmentVariable(kRestartCountVariable);
    int count = 0;
    for (const wchar_t c : *value) {
        if (c < L'0' || c > L'9' || count > kRestartLimit) {
            return kRestartLimit;  // not ours: no restart from it
        }
        count = count * 10 + (c - L'0');
    }
    return count;
}

bool restartWanted(const RestartPlan& plan, std::int32_t exitCode) {
    return plan.restartCode && *plan.restartCode == exitCode && plan.restartsSoFar < kRestartLimit;
}

void restartIfWanted(const RestartPlan& plan, std::int32_t exitCode) {
    if (!plan.restartCode || *plan.restartCode != exitCode) {
        return;
    }
    if (!restartWanted(plan, exitCode)) {
        trace("exit code ", exitCode, " is the Restart Code, but the application was started again ", kRestartLimit,
              " times in a row: not again");
        return;
    }
    const int next = plan.restartsSoFar + 1;
    trace("exit code ", exitCode, " is the Restart Code: starting the application again (", next, " of at most ",
          kRestartLimit, " in a row)");
    setEnvironmentVariable(kRestartCountVariable, decimalText(next));
    // The new run traces where this one did.
    if (!traceTarget().empty()) {
        setEnvironmentVariable(kTraceVariable, traceTarget());
    }
    if (const std::uint32_t error = startAgain(plan); error != 0) {
        removeEnvironmentVariable(kRestartCountVariable);
        removeEnvironmentVariable(kTraceVariable);
        trace("the application could not be started again: system error ", error, " (",
              trimWhiteSpace(systemErrorText(error)), ")");
    }
}

}  // namespace jlaunch
