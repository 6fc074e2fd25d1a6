// The one place where an internal failure is raised, and where it is caught
// and named.
// The Windows launchers build every other file of the launch without
// unwinding (see CMakeLists.txt): that is why the work is reached through a
// pointer here, since GCC takes a function built without unwinding for one
// that cannot throw, and would drop the catch.
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
    const FunctionRef<void()>* volatile opaque = &work;
    try {
        (*opaque)();
    } catch (...) {
        return internalFailureOfCurrentException();
    }
    return std::nullopt;
}

}  // namespace jlaunch
