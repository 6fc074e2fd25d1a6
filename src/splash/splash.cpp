#include "splash/splash.h"

#include "common/file_reader.h"
#include "common/trace.h"
#include "splash/picture_size.h"
#include "splash/native_splash.h"

namespace jlaunch {

Splash::~Splash() {
    closeSplash();
}

void Splash::showSplash(const SplashRequest& request, const std::wstring& jvmLibraryPath) {
    if (request.splashImagePath.empty()) {
        return;
    }
    const SplashHost host = currentSplashHost();
    const std::wstring library = findRuntimeFile(jvmLibraryPath, kNativeSplashLibraryName);
    SplashKind kind = chooseSplash(request, !library.empty(), host);
    // The runtime's library decodes every frame before the application
    // starts and opens whatever it is given: it gets only a picture that
    // can be drawn, from a regular file.
    if (kind == SplashKind::Native && !isAcceptablePicture(FileReader(request.splashImagePath))) {
        trace("splash picture ", request.splashImagePath,
              " not shown: not a regular file, or too many pixels in its frames for a splash");
        return;
    }
    if (kind == SplashKind::Native && !startNativeSplash(library, jvmLibraryPath, request.splashImagePath,
                                                         nativeSplashClose_, nativeSplashThreads_)) {
        kind = splashFallback(request, host);
    }
    if (kind == SplashKind::OwnWindow) {
        splashWindow_ = SplashWindowThread::start(request.splashImagePath, request.splashShadow);
        if (splashWindow_ && request.temporaryPicture) {
            splashWindow_->waitUntilPictureTaken();
        }
    }
}

void Splash::closeNativeSplash() {
    nativeSplashClose_.invokeNow();
    if (!nativeSplashThreads_.empty()) {
        const bool ended = waitForThreadsToEnd(nativeSplashThreads_, 2000);
        trace("native splash closed; its thread ", ended ? "has ended" : "still runs after 2 s");
        nativeSplashThreads_.clear();
    }
}

void Splash::closeSplash() {
    splashWindow_.reset();
}

}  // namespace jlaunch
