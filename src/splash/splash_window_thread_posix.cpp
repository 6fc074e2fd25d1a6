#include "splash/splash_window_thread.h"

namespace jlaunch {

// Linux has no window toolkit of its own: its splash is the runtime's library.
struct SplashWindowThread::State {};

std::unique_ptr<SplashWindowThread> SplashWindowThread::start(const std::wstring& /*imagePath*/, bool /*shadow*/) {
    return nullptr;
}

SplashWindowThread::SplashWindowThread(std::unique_ptr<State> state) : state_(std::move(state)) {}

SplashWindowThread::~SplashWindowThread() = default;

void SplashWindowThread::waitUntilPictureTaken() const {}

void* SplashWindowThread::splashWindowHandle() const {
    return nullptr;
}

}  // namespace jlaunch
