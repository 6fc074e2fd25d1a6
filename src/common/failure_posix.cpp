#include <new>
#include <stdexcept>

#include "common/failure.h"
#include "common/launch_error.h"

namespace jlaunch {

// The standard library throws its own types here; each gets the status the
// Windows launchers' runtime gives it (cmake/mingw_small_runtime.cpp), so
// both report the same internal error.
Failure internalFailureOfCurrentException() {
    try {
        throw;
    } catch (const LaunchError& error) {
        return internalFailure(error.status());
    } catch (const std::bad_alloc&) {
        return internalFailure(LaunchError::kOutOfMemory);
    } catch (const std::out_of_range&) {
        return internalFailure(LaunchError::kBadIndex);
    } catch (const std::logic_error&) {
        return internalFailure(LaunchError::kInvalidArgument);
    } catch (const std::range_error&) {
        return internalFailure(LaunchError::kArithmeticOverflow);
    } catch (const std::overflow_error&) {
        return internalFailure(LaunchError::kArithmeticOverflow);
    } catch (const std::underflow_error&) {
        return internalFailure(LaunchError::kArithmeticOverflow);
    } catch (...) {
        return internalFailure(LaunchError::kFail);
    }
}

}  // namespace jlaunch
