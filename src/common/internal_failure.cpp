// The one place where an internal failure is raised, and where it is caught
// and named, for the Linux launcher, the tools and the tests. The shipped
// Windows launchers raise and catch without unwinding instead
// (src/small_runtime/internal_failure.cpp).
#include <new>

#include "common/failure.h"
#include "common/launch_error.h"

namespace jlaunch {

void raiseLaunchError(std::int32_t status) {
    throw LaunchError(status);
}

Failure internalFailureOfCurrentException() {
    try {
        throw;
    } catch (const LaunchError& error) {
        return internalFailure(error.status());
    } catch (const std::bad_alloc&) {
        return internalFailure(LaunchError::kOutOfMemory);
    } catch (...) {
        return internalFailure(standardExceptionStatus());
    }
}

std::optional<Failure> catchInternalFailure(FunctionRef<void()> work) {
    try {
        work();
    } catch (...) {
        return internalFailureOfCurrentException();
    }
    return std::nullopt;
}

}  // namespace jlaunch
