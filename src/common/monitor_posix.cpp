#include "common/monitor.h"

#include <condition_variable>
#include <mutex>

namespace jlaunch {

struct Monitor::State {
    std::mutex mutex;
    std::condition_variable condition;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {}

Monitor::~Monitor() = default;

void Monitor::lock() {
    state_->mutex.lock();
}

void Monitor::unlock() {
    state_->mutex.unlock();
}

void Monitor::wait() {
    // The caller holds the lock and keeps it after the wait.
    std::unique_lock lock(state_->mutex, std::adopt_lock);
    state_->condition.wait(lock);
    lock.release();
}

void Monitor::notifyAll() {
    state_->condition.notify_all();
}

}  // namespace jlaunch
