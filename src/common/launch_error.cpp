#include <stdexcept>

#include "common/launch_error.h"

namespace jlaunch {

// The standard library throws its own types here (tests, tools, the Linux
// launcher); each gets the status the shipped Windows launchers' runtime
// raises for it (src/small_runtime/runtime.cpp), so all report the same
// internal error.
std::int32_t standardExceptionStatus() {
    try {
        throw;
    } catch (const std::out_of_range&) {
        return LaunchError::kBadIndex;
    } catch (const std::logic_error&) {
        return LaunchError::kInvalidArgument;
    } catch (const std::range_error&) {
    } catch (const std::overflow_error&) {
    } catch (const std::underflow_error&) {
    } catch (...) {
        return LaunchError::kFail;
    }
    return LaunchError::kArithmeticOverflow;
}

}  // namespace jlaunch
