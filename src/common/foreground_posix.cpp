#include "common/foreground.h"

namespace jlaunch {

bool bringApplicationToFront() {
    return false;
}

}  // namespace jlaunch
