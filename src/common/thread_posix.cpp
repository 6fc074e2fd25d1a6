#include <pthread.h>
#include <unistd.h>

#include <climits>
#include <memory>

#include "common/thread.h"

namespace jlaunch {

namespace {

struct ThreadWork {
    const FunctionRef<int()>* work;
    int result = 1;
};

void* threadRoutine(void* parameter) {
    auto* state = static_cast<ThreadWork*>(parameter);
    state->result = (*state->work)();
    return nullptr;
}

void* detachedRoutine(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return nullptr;
}

}  // namespace

bool startDetachedThread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return false;
    }
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread{};
    const int created = pthread_create(&thread, &attributes, detachedRoutine, owned.get());
    pthread_attr_destroy(&attributes);
    if (created != 0) {
        return false;
    }
    // The thread owns the work from here on.
    static_cast<void>(owned.release());
    return true;
}

std::optional<int> runOnNewThread(FunctionRef<int()> work, std::uint64_t stackSize) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return std::nullopt;
    }
    // A size the system refuses leaves the default rather than failing the launch.
    if (stackSize >= static_cast<std::uint64_t>(PTHREAD_STACK_MIN) && stackSize <= SIZE_MAX) {
        pthread_attr_setstacksize(&attributes, static_cast<std::size_t>(stackSize));
    }
    ThreadWork state{&work};
    pthread_t thread{};
    const int created = pthread_create(&thread, &attributes, threadRoutine, &state);
    pthread_attr_destroy(&attributes);
    if (created != 0) {
        return std::nullopt;
    }
    pthread_join(thread, nullptr);
    return state.result;
}

void sleepForever() {
    for (;;) {
        pause();
    }
}

}  // namespace jlaunch
