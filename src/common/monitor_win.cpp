#include <windows.h>

#include "common/monitor.h"

namespace jlaunch {

struct Monitor::State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

Monitor::Monitor() : state_(std::make_unique<State>()) {}

Monitor::~Monitor() = default;

void Monitor::lock() {
    AcquireSRWLockExclusive(&state_->lock);
}

void Monitor::unlock() {
    ReleaseSRWLockExclusive(&state_->lock);
}

void Monitor::wait() {
    SleepConditionVariableSRW(&state_->condition, &state_->lock, INFINITE, 0);
}

void Monitor::notifyAll() {
    WakeAllConditionVariable(&state_->condition);
}

}  // namespace jlaunch
