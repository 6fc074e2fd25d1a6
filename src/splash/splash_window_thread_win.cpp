#include <windows.h>

#include <atomic>

#include "common/handles_win.h"
#include "splash/splash_window_thread.h"
#include "splash/splash_window_win.h"

namespace jlaunch {

struct SplashWindowThread::State {
    std::wstring imagePath;
    bool shadow = false;
    SplashWindow window;  // made before the thread starts, freed after it ended
    std::atomic<HWND> splashWindowHandle{nullptr};
    UniqueHandle pictureTaken{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle splashThread;
    DWORD splashThreadId = 0;
};

namespace {

// How long the close waits for the thread between two quit messages.
constexpr DWORD kQuitRetryMs = 10;

DWORD WINAPI runSplashThread(void* parameter) {
    auto& state = *static_cast<SplashWindowThread::State*>(parameter);
    HWND window = state.window.create(state.imagePath, state.shadow);
    state.splashWindowHandle.store(window);
    SetEvent(state.pictureTaken.get());
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (window != nullptr) {
        DestroyWindow(window);
    }
    return 0;
}

}  // namespace

std::unique_ptr<SplashWindowThread> SplashWindowThread::start(const std::wstring& imagePath, bool shadow) {
    auto state = std::make_unique<State>();
    state->imagePath = imagePath;
    state->shadow = shadow;
    state->splashThread.reset(CreateThread(nullptr, 0, runSplashThread, state.get(), 0, &state->splashThreadId));
    if (!state->splashThread) {
        return nullptr;
    }
    return std::make_unique<SplashWindowThread>(std::move(state));
}

SplashWindowThread::SplashWindowThread(std::unique_ptr<State> state) : state_(std::move(state)) {}

// A quit message posted before the thread has a message queue is lost, so
// it is posted again until the thread has ended; the wait in between keeps
// the teardown from spinning a core.
SplashWindowThread::~SplashWindowThread() {
    for (;;) {
        PostThreadMessageW(state_->splashThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(state_->splashThread.get(), kQuitRetryMs) != WAIT_TIMEOUT) {
            break;
        }
    }
}

void SplashWindowThread::waitUntilPictureTaken() const {
    if (state_->pictureTaken) {
        WaitForSingleObject(state_->pictureTaken.get(), 5000);
    }
}

void* SplashWindowThread::splashWindowHandle() const {
    return state_->splashWindowHandle.load();
}

}  // namespace jlaunch
