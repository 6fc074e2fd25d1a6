#include "instance/forward_gate.h"

namespace jlaunch {

void ForwardGate::open(ForwardHandler handler) {
    const std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
    open_ = true;
    changed_.notify_all();
}

bool ForwardGate::serve(const std::vector<std::wstring>& arguments, const AnswerFunction& answer) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_ || closed_; });
        if (closed_ || !handler_) {
            return false;
        }
        ++calls_;
    }
    const bool served = handler_(arguments, answer);
    const std::lock_guard lock(mutex_);
    --calls_;
    changed_.notify_all();
    return served;
}

void ForwardGate::close() {
    std::unique_lock lock(mutex_);
    closed_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return calls_ == 0; });
}

}  // namespace jlaunch
