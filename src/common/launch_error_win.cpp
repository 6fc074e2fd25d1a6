#include "common/launch_error.h"

namespace jlaunch {

// The Windows launchers' runtime turns every standard-library failure into a
// LaunchError (see src/small_runtime/runtime.cpp), so naming the standard
// exception types here would only link their code into the exe.
std::int32_t standardExceptionStatus() {
    return LaunchError::kFail;
}

}  // namespace jlaunch
