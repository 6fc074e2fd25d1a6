#pragma once
// A launcher dialog shown on a thread of its own, as the launcher shows it,
// found and driven from the test's thread; and where its controls lie.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "launch_helper.h"

namespace jlaunch::test {

// How long a window may take to answer or appear on a busy machine; a
// passing test takes a fraction of it.
inline constexpr std::chrono::milliseconds kDialogTimeout{10000};

// Waits for `condition`, giving this thread's windows their messages.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = kDialogTimeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return true;
}

// SendMessage that gives up on a window that stopped answering.
inline LRESULT sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &result);
    return static_cast<LRESULT>(result);
}

// The dialog windows of one thread; none for no thread (Wine would list
// every thread's windows for thread 0).
inline std::vector<HWND> dialogsOfThread(DWORD threadId) {
    struct Search {
        DWORD threadId;
        std::vector<HWND> found;
    } search{threadId, {}};
    if (threadId == 0) {
        return {};
    }
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            if (GetWindowThreadProcessId(window, nullptr) == s.threadId && windowClassName(window) == L"#32770") {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// An active window the dialog is to be owned by, placed here.
struct OwnerWindow {
    RECT place;
    bool minimized = false;
};

// Runs `show` (which shows a dialog modally and returns its answer) on a
// thread of its own in `language`, with an active owner window when asked.
template <typename Answer>
class DialogRun {
public:
    DialogRun(LANGID language, std::optional<OwnerWindow> owner, std::function<Answer()> show)
        : language_(language), ownerWindow_(owner), show_(std::move(show)), done_(answer_.get_future().share()) {
        thread_ = std::thread([this] { run(); });
        waitUntil([this] { return threadId_ != 0; });
    }
    ~DialogRun() {
        // A test that failed half-way must not leave the dialog waiting.
        for (int attempt = 0; attempt < 3 && !finished(std::chrono::milliseconds(0)); ++attempt) {
            for (HWND window : dialogsOfThread(threadId_)) {
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
            finished(std::chrono::seconds(1));
        }
        if (!finished()) {
            std::fputs("the dialog could not be closed\n", stderr);
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        thread_.join();
    }
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

    // The dialog once it is shown (not one it owns, such as a folder
    // browser); null when it never was.
    HWND dialog() {
        HWND found = nullptr;
        waitUntil([&] {
            for (HWND window : dialogsOfThread(threadId_)) {
                if (IsWindowVisible(window) && windowClassName(GetWindow(window, GW_OWNER)) != L"#32770") {
                    found = window;
                }
            }
            return found != nullptr || finished(std::chrono::milliseconds(0));
        });
        return found;
    }

    // A dialog owned by `owner` on the dialog's thread (the folder browser).
    HWND dialogOwnedBy(HWND owner, std::chrono::milliseconds timeout) {
        HWND found = nullptr;
        waitUntil(
            [&] {
                for (HWND window : dialogsOfThread(threadId_)) {
                    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == owner) {
                        found = window;
                    }
                }
                return found != nullptr;
            },
            timeout);
        return found;
    }

    HWND owner() const { return owner_; }
    DWORD threadId() const { return threadId_; }
    // Whether the owner was enabled again once the dialog had returned.
    bool ownerEnabledAfter() const { return ownerEnabledAfter_; }
    bool finished(std::chrono::milliseconds within = kDialogTimeout) {
        return done_.wait_for(within) == std::future_status::ready;
    }
    // What the dialog answered; the test fails when it never returns.
    std::optional<Answer> answer() {
        if (!finished()) {
            ADD_FAILURE() << "the dialog did not close";
            return std::nullopt;
        }
        return done_.get();
    }

private:
    void run() {
        SetThreadLocale(MAKELCID(language_, SORT_DEFAULT));
        if (ownerWindow_) {
            const RECT& place = ownerWindow_->place;
            owner_ = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
            SetActiveWindow(owner_);
            if (ownerWindow_->minimized) {
                ShowWindow(owner_, SW_MINIMIZE);
            }
        }
        threadId_ = GetCurrentThreadId();
        Answer answer = show_();
        // Read here: the owner is destroyed right after the answer is out.
        ownerEnabledAfter_ = owner_ != nullptr && IsWindowEnabled(owner_) != FALSE;
        answer_.set_value(std::move(answer));
        if (owner_ != nullptr) {
            DestroyWindow(owner_);
        }
    }

    LANGID language_;
    std::optional<OwnerWindow> ownerWindow_;
    std::function<Answer()> show_;
    std::promise<Answer> answer_;
    std::shared_future<Answer> done_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> owner_{nullptr};
    std::atomic<bool> ownerEnabledAfter_{false};
    std::thread thread_;
};

// Where the dialog manager puts a control that the template places in dialog
// units: position and size are each converted with the dialog's base units.
inline RECT dialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT units{x, y, width, height};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

inline RECT placeInDialog(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline std::string describe(const RECT& rect) {
    return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom) + ")";
}

inline ::testing::AssertionResult samePlace(const RECT& actual, const RECT& expected) {
    if (EqualRect(&actual, &expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "at " << describe(actual) << ", expected " << describe(expected);
}

}  // namespace jlaunch::test
