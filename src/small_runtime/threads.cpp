// Linked into the statically built Windows launchers only (GCC's runtime):
// the POSIX thread calls that GCC's own runtime makes there (the guards of
// function-local statics, the exception pool's lock, emulated thread-local
// storage, std::mutex and std::condition_variable), on Windows' primitives.
// Without them the linker takes most of winpthread (about 25 KB) for these
// few calls. The launcher starts its threads with CreateThread, so nothing
// here creates, joins or cancels threads.
#include <windows.h>

#include <pthread.h>

#include <cerrno>
#include <cstdint>

static_assert(sizeof(pthread_once_t) == sizeof(LONG));
static_assert(sizeof(pthread_cond_t) == sizeof(CONDITION_VARIABLE));
static_assert(sizeof(pthread_key_t) == sizeof(DWORD));

namespace {

// The static initializers (normal -1, error-checking -2, recursive -3) stand
// for "not made yet".
bool isInitializer(intptr_t value) {
    return value >= GENERIC_RECURSIVE_INITIALIZER && value <= GENERIC_INITIALIZER;
}

void freeSection(CRITICAL_SECTION* section) {
    DeleteCriticalSection(section);
    HeapFree(GetProcessHeap(), 0, section);
}

// A mutex is a critical section made on first use. Critical sections are
// recursive, which the guards of statics need (they use the recursive
// initializer); the runtime never relies on a normal mutex refusing a
// second lock by its owner.
CRITICAL_SECTION* sectionOf(pthread_mutex_t* mutex) {
    intptr_t value = __atomic_load_n(mutex, __ATOMIC_ACQUIRE);
    if (!isInitializer(value)) {
        return reinterpret_cast<CRITICAL_SECTION*>(value);
    }
    auto* made = static_cast<CRITICAL_SECTION*>(HeapAlloc(GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
    if (made == nullptr) {
        return nullptr;
    }
    InitializeCriticalSection(made);
    if (__atomic_compare_exchange_n(mutex, &value, reinterpret_cast<intptr_t>(made), false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE)) {
        return made;
    }
    // Another thread made it first: use that one.
    freeSection(made);
    return reinterpret_cast<CRITICAL_SECTION*>(value);
}

// A condition variable is Windows' own, in place; the static initializer
// (-1) becomes its empty state on first use.
CONDITION_VARIABLE* variableOf(pthread_cond_t* condition) {
    intptr_t initializer = GENERIC_INITIALIZER;
    __atomic_compare_exchange_n(condition, &initializer, 0, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE);
    return reinterpret_cast<CONDITION_VARIABLE*>(condition);
}

enum OnceState : LONG { kNotRun = 0, kRunning = 1, kDone = 2 };

}  // namespace

extern "C" {

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = GENERIC_INITIALIZER;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* mutex) {
    const intptr_t value = __atomic_exchange_n(mutex, GENERIC_INITIALIZER, __ATOMIC_ACQ_REL);
    if (!isInitializer(value)) {
        freeSection(reinterpret_cast<CRITICAL_SECTION*>(value));
    }
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    CRITICAL_SECTION* section = sectionOf(mutex);
    if (section == nullptr) {
        return ENOMEM;
    }
    EnterCriticalSection(section);
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    const intptr_t value = __atomic_load_n(mutex, __ATOMIC_ACQUIRE);
    if (isInitializer(value)) {
        return EPERM;  // never locked
    }
    LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(value));
    return 0;
}

int pthread_cond_destroy(pthread_cond_t*) {
    return 0;  // Windows' condition variables hold nothing to free
}

int pthread_cond_signal(pthread_cond_t* condition) {
    WakeConditionVariable(variableOf(condition));
    return 0;
}

int pthread_cond_broadcast(pthread_cond_t* condition) {
    WakeAllConditionVariable(variableOf(condition));
    return 0;
}

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    CRITICAL_SECTION* section = sectionOf(mutex);
    if (section == nullptr) {
        return ENOMEM;
    }
    return SleepConditionVariableCS(variableOf(condition), section, INFINITE) ? 0 : EINVAL;
}

int pthread_once(pthread_once_t* once, void (*run)()) {
    if (InterlockedCompareExchange(once, kRunning, kNotRun) == kNotRun) {
        run();
        InterlockedExchange(once, kDone);
        return 0;
    }
    // Another thread runs it: the runtime's initializers are short.
    while (InterlockedCompareExchange(once, kDone, kDone) != kDone) {
        SwitchToThread();
    }
    return 0;
}

// Fiber-local storage runs a key's destructor when a thread ends with a value
// in it, as POSIX asks; plain TLS would leak each thread's emulated storage.
int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    const DWORD index = FlsAlloc(destructor);
    if (index == FLS_OUT_OF_INDEXES) {
        return EAGAIN;
    }
    *key = index;
    return 0;
}

int pthread_key_delete(pthread_key_t key) {
    // This thread's value is the caller's to free; FlsFree would pass it on.
    FlsSetValue(key, nullptr);
    return FlsFree(key) ? 0 : EINVAL;
}

void* pthread_getspecific(pthread_key_t key) {
    // Read between a failed system call and GetLastError (an exception's
    // globals are thread-local), so it must keep the last error.
    const DWORD lastError = GetLastError();
    void* value = FlsGetValue(key);
    SetLastError(lastError);
    return value;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
    return FlsSetValue(key, const_cast<void*>(value)) ? 0 : ENOMEM;
}

}  // extern "C"
