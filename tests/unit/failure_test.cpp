// Failures as values: what the one place that shows them will say.
#include <gtest/gtest.h>

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
        {Failure{}, L""},  // already reported where it happened
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

}  // namespace
