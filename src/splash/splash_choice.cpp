#include "splash/splash_choice.h"

#include <algorithm>

#include "common/text.h"

namespace jlaunch {

SplashRequest parseSplashSettings(std::wstring imagePath, std::wstring_view shadow, std::wstring_view preferNative) {
    return {std::move(imagePath), shadow == L"true", equalsIgnoringCase(preferNative, L"Yes")};
}

bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const std::wstring& argument) {
        return argument == L"-nosplash" || argument == L"/nosplash";
    });
}

SplashKind chooseSplash(const SplashRequest& request, bool nativeLibraryFound, const SplashHost& host) {
    if (request.splashImagePath.empty() || !host.display) {
        return SplashKind::None;
    }
    if (nativeLibraryFound && (request.preferNative || !host.ownWindow)) {
        return SplashKind::Native;
    }
    return host.ownWindow ? SplashKind::OwnWindow : SplashKind::None;
}

SplashKind splashFallback(const SplashRequest& request, const SplashHost& host) {
    return chooseSplash(request, false, host);
}

}  // namespace jlaunch
