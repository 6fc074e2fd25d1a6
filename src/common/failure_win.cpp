#include <new>

#include "common/failure.h"
#include "common/launch_error.h"

namespace jlaunch {

// The Windows launchers' runtime turns every standard-library failure into a
// LaunchError (see cmake/mingw_small_runtime.cpp), so naming the standard
// exception types here would only link their code into the exe.
Failure internalFailureOfCurrentException() {
    try {
        throw;
    } catch (const LaunchError& error) {
        return internalFailure(error.status());
    } catch (const std::bad_alloc&) {
        return internalFailure(LaunchError::kOutOfMemory);
    } catch (...) {
        return internalFailure(LaunchError::kFail);
    }
}

}  // namespace jlaunch
