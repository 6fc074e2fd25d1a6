// The POSIX thread calls of the shipped launchers' runtime (built from
// src/small_runtime/threads.cpp). This program must link no winpthread, or
// its definitions would clash: GoogleTest's clocks get a clock_gettime of
// their own below. Threads are Windows' own, as in the launcher.
#include <windows.h>

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// libstdc++'s clocks, which GoogleTest reads, call clock_gettime; winpthread's
// would bring its pthread_* along. The wall clock and a monotonic one, on
// Windows' own calls.
extern "C" int clock_gettime(clockid_t clock, struct timespec* time) {
    constexpr std::int64_t kPerSecond = 1000000000;
    std::int64_t nanoseconds = 0;
    if (clock == CLOCK_REALTIME) {
        FILETIME now{};
        GetSystemTimePreciseAsFileTime(&now);
        // 100 ns steps since 1601, moved to 1970.
        const std::int64_t steps = (std::int64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime) - 116444736000000000;
        nanoseconds = steps * 100;
    } else {
        LARGE_INTEGER count{};
        LARGE_INTEGER frequency{};
        QueryPerformanceCounter(&count);
        QueryPerformanceFrequency(&frequency);
        nanoseconds = count.QuadPart / frequency.QuadPart * kPerSecond +
                      count.QuadPart % frequency.QuadPart * kPerSecond / frequency.QuadPart;
    }
    time->tv_sec = nanoseconds / kPerSecond;
    time->tv_nsec = static_cast<long>(nanoseconds % kPerSecond);
    return 0;
}

namespace {

// Runs `work(index)` on `count` threads released together, so that first
// uses (a mutex made on its first lock, a once, a static) race.
void onThreads(int count, const std::function<void(int)>& work) {
    struct Start {
        const std::function<void(int)>* work;
        HANDLE go;
        int index;
    };
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<Start> starts(static_cast<std::size_t>(count));
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i) {
        starts[static_cast<std::size_t>(i)] = {&work, go, i};
        threads.push_back(CreateThread(
            nullptr, 0,
            [](void* parameter) -> DWORD {
                const auto* start = static_cast<Start*>(parameter);
                WaitForSingleObject(start->go, INFINITE);
                (*start->work)(start->index);
                return 0;
            },
            &starts[static_cast<std::size_t>(i)], 0, nullptr));
    }
    SetEvent(go);
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (HANDLE thread : threads) {
        CloseHandle(thread);
    }
    CloseHandle(go);
}

pthread_mutex_t madeByInit() {
    pthread_mutex_t mutex;
    pthread_mutex_init(&mutex, nullptr);
    return mutex;
}

TEST(SmallThreads, EveryKindOfMutexExcludesAndIsMadeOnceWhenFirstLocksRace) {
    const pthread_mutex_t kinds[] = {PTHREAD_MUTEX_INITIALIZER, PTHREAD_RECURSIVE_MUTEX_INITIALIZER,
                                     PTHREAD_ERRORCHECK_MUTEX_INITIALIZER, madeByInit()};
    for (pthread_mutex_t mutex : kinds) {
        long counter = 0;  // deliberately not atomic: the mutex must guard it
        onThreads(4, [&](int) {
            for (int i = 0; i < 20000; ++i) {
                EXPECT_EQ(pthread_mutex_lock(&mutex), 0);
                counter = counter + 1;
                EXPECT_EQ(pthread_mutex_unlock(&mutex), 0);
            }
        });
        EXPECT_EQ(counter, 80000);
        // The guards of statics lock their recursive mutex again from inside.
        EXPECT_EQ(pthread_mutex_lock(&mutex), 0);
        EXPECT_EQ(pthread_mutex_lock(&mutex), 0);
        EXPECT_EQ(pthread_mutex_unlock(&mutex), 0);
        EXPECT_EQ(pthread_mutex_unlock(&mutex), 0);
        EXPECT_EQ(pthread_mutex_destroy(&mutex), 0);
        EXPECT_EQ(pthread_mutex_unlock(&mutex), EPERM);  // destroyed: never locked
        EXPECT_EQ(pthread_mutex_lock(&mutex), 0);        // made again on use
        EXPECT_EQ(pthread_mutex_unlock(&mutex), 0);
        pthread_mutex_destroy(&mutex);
    }
}

TEST(SmallThreads, ABroadcastWakesEveryWaiterAndASignalOne) {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t condition = PTHREAD_COND_INITIALIZER;
    int round = 0;
    std::atomic<int> woken{0};
    onThreads(5, [&](int index) {
        pthread_mutex_lock(&mutex);
        if (index == 0) {
            // Waits until the four others wait, then wakes them all.
            while (woken.load() < 4) {
                pthread_mutex_unlock(&mutex);
                Sleep(1);
                pthread_mutex_lock(&mutex);
            }
            round = 1;
            pthread_cond_broadcast(&condition);
        } else {
            ++woken;
            while (round == 0) {
                pthread_cond_wait(&condition, &mutex);
            }
            ++woken;
        }
        pthread_mutex_unlock(&mutex);
    });
    EXPECT_EQ(woken.load(), 8);

    bool ready = false;
    onThreads(2, [&](int index) {
        pthread_mutex_lock(&mutex);
        if (index == 0) {
            while (!ready) {
                pthread_cond_wait(&condition, &mutex);
            }
        } else {
            ready = true;
            pthread_cond_signal(&condition);
        }
        pthread_mutex_unlock(&mutex);
    });
    EXPECT_TRUE(ready);
    EXPECT_EQ(pthread_cond_destroy(&condition), 0);
}

std::atomic<int> onceRuns{0};
std::atomic<bool> onceDone{false};

TEST(SmallThreads, OnceRunsOnceAndEveryCallerReturnsAfterIt) {
    static pthread_once_t once = PTHREAD_ONCE_INIT;
    std::atomic<int> sawItDone{0};
    onThreads(8, [&](int) {
        pthread_once(&once, [] {
            ++onceRuns;
            Sleep(50);  // the others arrive meanwhile and must wait
            onceDone = true;
        });
        sawItDone += onceDone.load() ? 1 : 0;
    });
    EXPECT_EQ(onceRuns.load(), 1);
    EXPECT_EQ(sawItDone.load(), 8);
}

std::atomic<int> destroyed{0};
std::atomic<std::intptr_t> destroyedSum{0};

TEST(SmallThreads, AKeysDestructorGetsEachEndingThreadsValueOnly) {
    pthread_key_t key = 0;
    EXPECT_EQ(pthread_key_create(&key,
                                 [](void* value) {
                                     ++destroyed;
                                     destroyedSum += reinterpret_cast<std::intptr_t>(value);
                                 }),
              0);
    onThreads(4, [&](int index) {
        EXPECT_EQ(pthread_getspecific(key), nullptr);
        if (index != 0) {  // thread 0 leaves it empty: no destructor call
            EXPECT_EQ(pthread_setspecific(key, reinterpret_cast<void*>(std::intptr_t{index})), 0);
        }
        // A failed call's error survives the read (exceptions read their
        // thread's globals between a failure and GetLastError).
        SetLastError(ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(pthread_getspecific(key), index != 0 ? reinterpret_cast<void*>(std::intptr_t{index}) : nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    });
    EXPECT_EQ(destroyed.load(), 3);
    EXPECT_EQ(destroyedSum.load(), 1 + 2 + 3);

    EXPECT_EQ(pthread_setspecific(key, reinterpret_cast<void*>(std::intptr_t{100})), 0);
    EXPECT_EQ(pthread_key_delete(key), 0);  // this thread's value stays the caller's
    EXPECT_EQ(destroyed.load(), 3);
}

// The runtime's own users: guarded statics made by racing threads, and
// exceptions thrown on several threads at once (their globals are
// thread-local, kept through the keys above).
std::atomic<int> made{0};

struct SlowToMake {
    SlowToMake() {
        ++made;
        Sleep(50);
    }
};

TEST(SmallThreads, TheRuntimesOwnUsersWorkOnIt) {
    std::atomic<int> caught{0};
    onThreads(8, [&](int index) {
        static SlowToMake once;
        static_cast<void>(once);
        for (int i = 0; i < 100; ++i) {
            try {
                throw std::runtime_error("thread " + std::to_string(index));
            } catch (const std::runtime_error& error) {
                if (error.what() == "thread " + std::to_string(index)) {
                    ++caught;
                }
            }
        }
    });
    EXPECT_EQ(made.load(), 1);
    EXPECT_EQ(caught.load(), 800);
}

}  // namespace
