#include "instance/forward_gate.h"

#include <mutex>

namespace jlaunch {

void ForwardGate::open(ForwardHandler handler) {
    const std::lock_guard lock(monitor_);
    handler_ = std::move(handler);
    open_ = true;
    monitor_.notifyAll();
}

bool ForwardGate::serve(const std::vector<std::wstring>& arguments, const AnswerFunction& answer) {
    {
        const std::lock_guard lock(monitor_);
        monitor_.waitUntil([this] { return open_ || closed_; });
        if (closed_ || !handler_) {
            return false;
        }
        ++calls_;
    }
    const bool served = handler_(arguments, answer);
    const std::lock_guard lock(monitor_);
    --calls_;
    monitor_.notifyAll();
    return served;
}

void ForwardGate::close() {
    const std::lock_guard lock(monitor_);
    closed_ = true;
    monitor_.notifyAll();
    monitor_.waitUntil([this] { return calls_ == 0; });
}

}  // namespace jlaunch
