#include "instance/forward_gate.h"

#include <mutex>

#include "common/trace.h"

namespace jlaunch {

void ForwardGate::open(ForwardHandler handler) {
    // Traced outside the lock: an internal failure in the trace ends the
    // launch without clean-up, and must leave no lock held.
    int waited = 0;
    {
        const std::lock_guard lock(monitor_);
        handler_ = std::move(handler);
        open_ = true;
        waited = waiting_;
        monitor_.notifyAll();
    }
    trace("single instance: forwarded launches go to the application; ", waited, " waited for it");
}

bool ForwardGate::serve(const std::vector<std::wstring>& arguments, const AnswerFunction& answer) {
    {
        const std::lock_guard lock(monitor_);
        ++waiting_;
        monitor_.waitUntil([this] { return open_ || closed_; });
        --waiting_;
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
    closing_ = calls_ > 0;
    monitor_.waitUntil([this] { return calls_ == 0; });
    closing_ = false;
}

ForwardGate::Counts ForwardGate::counts() const {
    const std::lock_guard lock(monitor_);
    return {waiting_, calls_, closing_};
}

}  // namespace jlaunch
