#pragma once
// One function that is called at most once: on invokeNow, or when the
// holder is destroyed.
#include <utility>

namespace jlaunch {

class PendingCall {
public:
    using Function = void (*)();

    PendingCall() = default;
    ~PendingCall() { invokeNow(); }
    PendingCall(const PendingCall&) = delete;
    PendingCall& operator=(const PendingCall&) = delete;

    // Calls the held function, if any, and forgets it.
    void invokeNow() {
        if (const Function function = std::exchange(function_, nullptr)) {
            function();
        }
    }
    // Holds `function` instead of the one held now, without calling that.
    void hold(Function function) { function_ = function; }
    Function held() const { return function_; }

private:
    Function function_ = nullptr;
};

}  // namespace jlaunch
