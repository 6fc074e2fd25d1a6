#pragma once
// The launcher's own splash window, owned by a thread of its own that pumps
// its messages until it is told to quit.
#include <memory>
#include <string>

namespace jlaunch {

class SplashWindowThread {
public:
    // Starts the thread, which draws the picture and shows the window.
    // Nothing when the platform has no such window or no thread could be
    // made; no failure is reported.
    static std::unique_ptr<SplashWindowThread> start(const std::wstring& imagePath, bool shadow);

    // Tells the thread to quit, waits until it has ended, and frees the
    // window's picture: this is how the window closes.
    ~SplashWindowThread();
    SplashWindowThread(const SplashWindowThread&) = delete;
    SplashWindowThread& operator=(const SplashWindowThread&) = delete;

    // Returns once the thread has read the picture (5 s at most), so that
    // its file may go.
    void waitUntilPictureTaken() const;

    // The window once the thread has made it; null before, or when it made none.
    void* splashWindowHandle() const;

    struct State;
    explicit SplashWindowThread(std::unique_ptr<State> state);

private:
    std::unique_ptr<State> state_;
};

}  // namespace jlaunch
