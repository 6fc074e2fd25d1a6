// The shipped launchers' internal failures (src/small_runtime/): every
// failure of GCC's runtime, and the launcher's own, comes back from the
// innermost catchInternalFailure of its thread as the internal-error
// failure, without anything thrown. This program links the same runtime
// pieces as the launchers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "common/console_mode.h"
#include "common/failure.h"
#include "common/launch_error.h"

namespace {

using jlaunch::LaunchError;

// Sizes and results the optimiser may not see through, so that no allocation is left out.
volatile std::size_t hugeSize = std::numeric_limits<std::size_t>::max() / 2;
void* volatile kept = nullptr;

std::optional<jlaunch::Failure> caught(const std::function<void()>& work) {
    return jlaunch::catchInternalFailure(work);
}

TEST(SmallRuntimeFailure, EachFailureOfTheRuntimeComesBackAsItsInternalFailure) {
    struct Case {
        const char* what;
        std::function<void()> work;
        std::int32_t status;
    };
    const Case cases[] = {
        {"allocation beyond memory", [] { kept = ::operator new(hugeSize); }, LaunchError::kOutOfMemory},
        {"container beyond memory", [] { kept = std::wstring(hugeSize / 4, L'x').data(); }, LaunchError::kOutOfMemory},
        {"index past the end", [] { std::vector<int>(2).at(2) = 0; }, LaunchError::kBadIndex},
        {"substring past the end", [] { (void)std::wstring(L"ab").substr(3); }, LaunchError::kBadIndex},
        {"length beyond the largest", [] { std::string().reserve(std::string().max_size() + 1); },
         LaunchError::kInvalidArgument},
        {"empty function called", [] { std::function<void()>()(); }, LaunchError::kFail},
        {"the launcher's own", [] { jlaunch::raiseLaunchError(LaunchError::kArithmeticOverflow); },
         LaunchError::kArithmeticOverflow},
    };
    for (const Case& row : cases) {
        const auto failure = caught(row.work);
        ASSERT_TRUE(failure.has_value()) << row.what;
        EXPECT_EQ(*failure, jlaunch::internalFailure(row.status)) << row.what;
    }
}

TEST(SmallRuntimeFailure, WorkThatEndsNormallyIsNoFailureAndRanOnce) {
    int ran = 0;
    EXPECT_FALSE(caught([&ran] { ++ran; }).has_value());
    EXPECT_EQ(ran, 1);
}

// Each failure reaches the innermost point; once that point has returned,
// the next failure reaches the one around it.
TEST(SmallRuntimeFailure, NestedPointsEachCatchTheirOwn) {
    std::vector<std::string> steps;
    const auto outer = caught([&steps] {
        const auto inner = caught([] { jlaunch::raiseLaunchError(LaunchError::kBadIndex); });
        steps.push_back(inner == jlaunch::internalFailure(LaunchError::kBadIndex) ? "inner caught" : "inner missed");
        const auto quiet = caught([&steps] { steps.push_back("quiet work"); });
        steps.push_back(quiet ? "quiet failed" : "quiet ended");
        jlaunch::raiseLaunchError(LaunchError::kFail);
    });
    EXPECT_EQ(outer, jlaunch::internalFailure(LaunchError::kFail));
    EXPECT_EQ(steps, (std::vector<std::string>{"inner caught", "quiet work", "quiet ended"}));
    // Nothing is left over from the points that returned.
    EXPECT_EQ(caught([] { (void)std::vector<int>().at(0); }), jlaunch::internalFailure(LaunchError::kBadIndex));
}

// A failure on the Java thread comes back on that thread, while the main
// thread waits inside a point of its own.
TEST(SmallRuntimeFailure, AFailureOnAnotherThreadStaysOnIt) {
    struct Shared {
        std::optional<jlaunch::Failure> onThread;
    } shared;
    std::optional<jlaunch::Failure> onMain;
    const auto outer = caught([&] {
        HANDLE thread = CreateThread(
            nullptr, 0,
            [](void* parameter) -> DWORD {
                static_cast<Shared*>(parameter)->onThread =
                    caught([] { jlaunch::raiseLaunchError(LaunchError::kOutOfMemory); });
                return 0;
            },
            &shared, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        onMain = caught([] { jlaunch::raiseLaunchError(LaunchError::kBadIndex); });
    });
    EXPECT_FALSE(outer.has_value());
    EXPECT_EQ(shared.onThread, jlaunch::internalFailure(LaunchError::kOutOfMemory));
    EXPECT_EQ(onMain, jlaunch::internalFailure(LaunchError::kBadIndex));
}

// A thread that runs no launch step ends the launch as the main thread does
// after an internal failure: the message (on standard error in the console
// build), then -1. The message is the launcher's own, from its resources.
TEST(SmallRuntimeFailureDeathTest, AFailureOutsideEveryPointEndsTheLaunchWithTheMessageAndMinusOne) {
    jlaunch::setConsoleMode(true);
    const struct {
        const char* what;
        std::function<void()> work;
        const char* message;
    } cases[] = {
        {"the launcher's own", [] { jlaunch::raiseLaunchError(LaunchError::kArithmeticOverflow); },
         "The launcher stopped after an internal error: 0x80070216\\."},
        {"index past the end", [] { (void)std::vector<int>().at(1); },
         "The launcher stopped after an internal error: 0x8000000B\\."},
        {"allocation beyond memory", [] { kept = ::operator new(hugeSize); },
         "The launcher stopped after an internal error: not enough memory\\."},
    };
    for (const auto& row : cases) {
        EXPECT_EXIT(row.work(), testing::ExitedWithCode(-1), row.message) << row.what;
    }
}

}  // namespace
