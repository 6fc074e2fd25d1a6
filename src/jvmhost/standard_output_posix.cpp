#include "jvmhost/standard_output.h"

namespace jlaunch {

// A Linux launcher prints where it was started, as java does.
void captureStandardOutput() {}

void settleStandardOutput() noexcept {}

}  // namespace jlaunch
