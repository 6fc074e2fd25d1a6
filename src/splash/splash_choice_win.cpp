#include "splash/splash_choice.h"

namespace jlaunch {

SplashHost currentSplashHost() {
    return {true, true};
}

}  // namespace jlaunch
