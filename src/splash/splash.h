#pragma once
// The splash screen of one launch: the launcher's own window or the Java
// runtime's native splash, from the splash step until the teardown.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "splash/pending_call.h"
#include "splash/splash_choice.h"
#include "splash/splash_window_thread.h"

namespace jlaunch {

class Splash {
public:
    Splash() = default;
    // The window goes first; a native close still pending is called last.
    ~Splash();
    Splash(const Splash&) = delete;
    Splash& operator=(const Splash&) = delete;

    // The splash step of the run, on the main thread, before the VM library
    // is loaded: the native splash beside `jvmLibraryPath` when it is chosen
    // and starts, otherwise the launcher's own window where there is one.
    void showSplash(const SplashRequest& request, const std::wstring& jvmLibraryPath);

    // Closes the launcher's own window and ends its thread; does nothing
    // when there is none. Called on the Java thread before the exception
    // dialog and on the main thread first in the teardown, never at once.
    void closeSplash();

    // Calls the native splash library's "SplashClose", once at most, and
    // waits (2 s at most) until the library's own thread has ended: a
    // process that exits while that thread still closes the display and
    // frees the picture crashes at exit.
    void closeNativeSplash();

    // The owner of the run's message boxes: the splash window while it is
    // shown, otherwise null.
    void* splashWindowHandle() const { return splashWindow_ ? splashWindow_->splashWindowHandle() : nullptr; }

private:
    PendingCall nativeSplashClose_;
    std::vector<std::uint64_t> nativeSplashThreads_;
    std::unique_ptr<SplashWindowThread> splashWindow_;
};

}  // namespace jlaunch
