#include "common/system.h"
#include "splash/splash_choice.h"

namespace jlaunch {

namespace {

bool isSet(const wchar_t* name) {
    const auto value = environmentVariable(name);
    return value && !value->empty();
}

}  // namespace

SplashHost currentSplashHost() {
    return {false, isSet(L"DISPLAY") || isSet(L"WAYLAND_DISPLAY")};
}

}  // namespace jlaunch
