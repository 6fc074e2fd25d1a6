#pragma once
// A lock with one condition to wait for, on the platform's own primitives.
// (std::condition_variable would take the standard library's thread support,
// static guards included, into the exe for this one use.) Works with
// std::lock_guard and std::unique_lock.
#include <memory>

namespace jlaunch {

class Monitor {
public:
    Monitor();
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    void lock();
    void unlock();
    // With the lock held: waits, the lock released meanwhile, until `done`
    // holds after a notification.
    template <typename Predicate>
    void waitUntil(Predicate done) {
        while (!done()) {
            wait();
        }
    }
    void notifyAll();

private:
    void wait();

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace jlaunch
