// Failures as values: what the one place that shows them will say.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/failure.h"
#include "common/launch_error.h"

namespace {

using jlaunch::Failure;

TEST(Failure, TextFillsTheMessageWithItsArguments) {
    const std::pair<Failure, std::wstring> cases[] = {
        {jlaunch::systemFailure(jlaunch::kMsgModulePathFailed, 5),
         L"Windows exception: failed to get the module path (errno = 5).\n"},
        {{jlaunch::kMsgJniException, {jlaunch::kMsgCreateJavaVmFailed, jlaunch::kMsgReasonInvalid}, {}},
         L"JNI exception: failed to create the Java VM\nReason: invalid arguments.\n"},
        {{jlaunch::kMsgJniException, {jlaunch::kMsgCreateJavaVmFailed, jlaunch::kMsgNone}, {}},
         L"JNI exception: failed to create the Java VM\nReason: .\n"},
        {{jlaunch::kMsgJvmLibraryLoadFailed, {std::wstring(L"/jdk/libjvm.so"), std::uint32_t{2}}, L"why"},
         L"Failed to load Java VM library: /jdk/libjvm.so (errno = 2).\n"},
        {{jlaunch::kMsgMainClassNotFound, {std::wstring(L"com/acme/\u00C4pp")}, {}},
         L"Could not find the main class com/acme/\u00C4pp.\n"},
        {jlaunch::internalFailure(jlaunch::LaunchError::kOutOfMemory),
         L"The launcher stopped after an internal error: not enough memory.\n"},
        {jlaunch::internalFailure(jlaunch::LaunchError::kArithmeticOverflow),
         L"The launcher stopped after an internal error: 0x80070216.\n"},
        {jlaunch::alreadyShown(L"the dialog was cancelled"), L""},  // its reason is for the trace only
        // The cause, one line each below the message, whether it ends with a line feed or not.
        {{jlaunch::kMsgMainClassNotFound,
          {std::wstring(L"App")},
          {},
          {std::wstring(L"java.lang.UnsupportedClassVersionError: App has been compiled by a more recent version")}},
         L"Could not find the main class App.\n"
         L"java.lang.UnsupportedClassVersionError: App has been compiled by a more recent version\n"},
        {{jlaunch::kMsgClassPathMissing,
          {},
          {},
          {jlaunch::kMsgClassPathUnmatched, std::wstring(L"lib/*.jar"), std::wstring(L"app.jar")}},
         L"Java Class Path was not specified in INI file.\nNo file matches these class path entries:\nlib/*.jar\n"
         L"app.jar\n"},
        {{jlaunch::kMsgClassPathUnmatched, {}, {}, {std::wstring(L"lib/*.jar"), std::wstring(L"app.jar")}},
         L"No file matches these class path entries:\nlib/*.jar\napp.jar\n"},
        {{jlaunch::kMsgMainClassMissingIn, {std::wstring(L"/opt/app/app.ini")}, {}},
         L"Main class was not specified in INI file /opt/app/app.ini: set \u201CMain Class\u201D, \u201CMain "
         L"Module\u201D or \u201CMain Jar\u201D in section [Java Runtime Environment].\n"},
        {{jlaunch::kMsgSettingsFileMissing, {std::wstring(L"/opt/app/app.ini")}, {}},
         L"The settings file /opt/app/app.ini was not found.\n"},
    };
    for (const auto& [failure, text] : cases) {
        EXPECT_EQ(jlaunch::failureText(failure), text);
    }
}

// Whatever is thrown ends the launch with the internal-error message, the
// standard library's own exceptions included (on Windows they arrive as
// LaunchError already); work that ends normally is no failure.
TEST(Failure, EveryExceptionIsAnInternalFailure) {
    int ran = 0;
    const std::pair<std::function<void()>, std::wstring> cases[] = {
        {[] { throw std::bad_alloc(); }, L"not enough memory"},
        {[] { std::vector<int>(2).at(2) = 0; }, L"0x8000000B"},
        {[] { (void)std::string("ab").substr(3); }, L"0x8000000B"},
        {[] { std::string().reserve(std::string().max_size() + 1); }, L"0x80070057"},
        {[] { throw std::invalid_argument("x"); }, L"0x80070057"},
        {[] { throw std::overflow_error("x"); }, L"0x80070216"},
        {[] { throw std::runtime_error("x"); }, L"0x80004005"},
        {[] { throw jlaunch::LaunchError(jlaunch::LaunchError::kArithmeticOverflow); }, L"0x80070216"},
        {[] { throw 42; }, L"0x80004005"},
        {[&ran] { ++ran; }, L""},
    };
    for (const auto& [work, reason] : cases) {
        const std::optional<jlaunch::Failure> failure = jlaunch::catchInternalFailure(work);
        if (reason.empty()) {
            EXPECT_FALSE(failure.has_value());
            continue;
        }
        ASSERT_TRUE(failure.has_value()) << reason;
        EXPECT_EQ(jlaunch::failureText(*failure), L"The launcher stopped after an internal error: " + reason + L".\n");
    }
    EXPECT_EQ(ran, 1);
}

// Reading a Result as what it is not stops a checked build at once.
TEST(FailureDeathTest, ResultReadAsWhatItIsNotStops) {
    const jlaunch::Result<int> failed = jlaunch::alreadyShown(L"why");
    const jlaunch::Result<int> value = 7;
    const jlaunch::Result<void> succeeded;
    EXPECT_DEATH((void)*failed, "holds a failure");
    EXPECT_DEATH((void)value.failure(), "holds a value");
    EXPECT_DEATH((void)succeeded.failure(), "succeeded");
    EXPECT_EQ(*value, 7);
    EXPECT_EQ(failed.failure().detail, L"why");
}

}  // namespace
