// The Linux build has no dialog for an uncaught exception: the trace goes to
// standard error and the application stops.
#include <gtest/gtest.h>

#include <string>

#include "ui/exception_dialog.h"

namespace jlaunch {
namespace {

std::string stackTraceOnStandardError(const std::wstring& trace, bool& stops) {
    ::testing::internal::CaptureStderr();
    stops = showUncaughtExceptionDialog(trace);
    return ::testing::internal::GetCapturedStderr();
}

TEST(ExceptionDialogLinux, TraceGoesToStandardErrorAsUtf8AndTheApplicationStops) {
    bool stops = false;
    const std::string written = stackTraceOnStandardError(
        L"java.lang.IllegalStateException: Gr\u00f6\u00dfe \u4e2d \U0001F600\n\tat demo.Main.main(Main.java:5)\n",
        stops);
    EXPECT_TRUE(stops);
    EXPECT_EQ(written,
              "java.lang.IllegalStateException: Gr\xc3\xb6\xc3\x9f"
              "e \xe4\xb8\xad \xf0\x9f\x98\x80\n"
              "\tat demo.Main.main(Main.java:5)\n");
}

TEST(ExceptionDialogLinux, ALastLineWithoutLineEndGetsOne) {
    bool stops = false;
    EXPECT_EQ(stackTraceOnStandardError(L"java.lang.Error\n\tat demo.Main.main(Main.java:5)", stops),
              "java.lang.Error\n\tat demo.Main.main(Main.java:5)\n");
    EXPECT_TRUE(stops);
}

}  // namespace
}  // namespace jlaunch
