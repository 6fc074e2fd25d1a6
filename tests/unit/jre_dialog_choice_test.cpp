// Which folders the "JRE Not Found" dialog accepts from the user, on the
// Linux layout, and what the Linux build shows instead of the dialog.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/text.h"
#include "jvmsearch/chosen_folder.h"
#include "test_support.h"

namespace {

using jlaunch::evaluateChosenFolder;
using jlaunch::JvmType;
using jlaunch::testing::TestFolder;

// The folder as the folder browser gives it: a full path without a trailing separator.
std::wstring chosen(const TestFolder& folder, const std::string& name) {
    return (folder.path() / name).wstring();
}

TEST(JreDialogChoice, UsableFolderGivesItsVmLibraryForTheType) {
    TestFolder f;
    f.write("client-only/lib/libjava.so");
    f.write("client-only/lib/client/libjvm.so");
    f.write("server/lib/libjava.so");
    f.write("server/lib/server/libjvm.so");
    f.write("both/lib/client/libjvm.so");
    f.write("both/lib/server/libjvm.so");
    f.write("java8/jre/lib/amd64/server/libjvm.so");

    EXPECT_FALSE(evaluateChosenFolder(chosen(f, "client-only"), JvmType::Server).has_value());
    for (const JvmType type : {JvmType::Default, JvmType::FavorServer}) {
        const auto choice = evaluateChosenFolder(chosen(f, "client-only"), type);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(choice->jvmLibraryPath, chosen(f, "client-only") + L"/lib/client/libjvm.so");
    }
    for (const JvmType type : {JvmType::Default, JvmType::Server, JvmType::FavorServer}) {
        const auto choice = evaluateChosenFolder(chosen(f, "server"), type);
        ASSERT_TRUE(choice.has_value());
        EXPECT_EQ(choice->folder, chosen(f, "server") + L"/");
        EXPECT_EQ(choice->jvmLibraryPath, chosen(f, "server") + L"/lib/server/libjvm.so");
    }
    EXPECT_EQ(evaluateChosenFolder(chosen(f, "both"), JvmType::Default)->jvmLibraryPath,
              chosen(f, "both") + L"/lib/client/libjvm.so");
    EXPECT_EQ(evaluateChosenFolder(chosen(f, "both"), JvmType::FavorServer)->jvmLibraryPath,
              chosen(f, "both") + L"/lib/server/libjvm.so");
    // A JDK 8 keeps its VM in its jre folder.
    EXPECT_EQ(evaluateChosenFolder(chosen(f, "java8"), JvmType::Server)->jvmLibraryPath,
              chosen(f, "java8") + L"/jre/lib/amd64/server/libjvm.so");
}

TEST(JreDialogChoice, FolderEndingWithSeparatorKeepsOne) {
    TestFolder f;
    f.write("jre/lib/server/libjvm.so");
    const auto choice = evaluateChosenFolder(chosen(f, "jre") + L"/", JvmType::Server);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->folder, chosen(f, "jre") + L"/");
    EXPECT_EQ(choice->jvmLibraryPath, chosen(f, "jre") + L"/lib/server/libjvm.so");
    // The root already ends with one (and holds no VM here).
    EXPECT_FALSE(evaluateChosenFolder(L"/", JvmType::Default).has_value());
}

TEST(JreDialogChoice, FoldersWithoutUsableVmOfferNothing) {
    TestFolder f;
    f.write("runtime-only/lib/libjava.so");
    f.write("wrong-place/bin/server/libjvm.so");
    f.write("jre/lib/server/libjvm.so");

    for (const JvmType type : {JvmType::Default, JvmType::Server, JvmType::FavorServer}) {
        EXPECT_FALSE(evaluateChosenFolder(chosen(f, "runtime-only"), type).has_value());
        EXPECT_FALSE(evaluateChosenFolder(chosen(f, "wrong-place"), type).has_value());
        EXPECT_FALSE(evaluateChosenFolder(chosen(f, "missing"), type).has_value());
        EXPECT_FALSE(evaluateChosenFolder(L"", type).has_value());
    }

    // A relative folder is not probed against the working folder, even where
    // that would find a VM.
    const std::string saved = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(f.path().c_str()), 0);
    EXPECT_FALSE(evaluateChosenFolder(L"jre", JvmType::Server).has_value());
    EXPECT_TRUE(evaluateChosenFolder(chosen(f, "jre"), JvmType::Server).has_value());
    ASSERT_EQ(chdir(saved.c_str()), 0);
}

TEST(JreDialogChoice, RefusedFoldersSayWhy) {
    TestFolder f;
    f.write("runtime-only/lib/libjava.so");
    f.write("client-only/lib/libjava.so");
    f.write("client-only/lib/client/libjvm.so");
    f.write("nothing/readme.txt");
    const struct {
        std::string folder;
        JvmType type;
        std::wstring text;
    } cases[] = {
        {"nothing", JvmType::Default, L"No Java runtime in this folder: lib/libjava.so is missing."},
        {"missing", JvmType::Server, L"No Java runtime in this folder: lib/libjava.so is missing."},
        {"runtime-only", JvmType::Default,
         L"This Java runtime has no Java VM library in its folders client, classic, hotspot, server, jrockit."},
        {"client-only", JvmType::Server, L"This Java runtime has no Java VM library in its folders server."},
        {"runtime-only", JvmType::FavorServer,
         L"This Java runtime has no Java VM library in its folders server, client, classic, hotspot, server, "
         L"jrockit."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        ASSERT_FALSE(evaluateChosenFolder(chosen(f, c.folder), c.type).has_value());
        EXPECT_EQ(jlaunch::failureText(jlaunch::refusedFolderReason(chosen(f, c.folder), c.type)), c.text);
    }
    // A relative folder is never probed, so it holds no runtime.
    EXPECT_EQ(jlaunch::refusedFolderReason(L"runtime-only", JvmType::Default).message, jlaunch::kMsgJreFolderNoRuntime);
}

TEST(JreDialogChoice, DownloadAddressIsAWebAddressOrTheDefault) {
    const std::wstring standard = jlaunch::kJavaDownloadAddress;
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"", standard},
        {L"https://example.org/java?v=21", L"https://example.org/java?v=21"},
        {L"HTTP://example.org/", L"HTTP://example.org/"},
        {L"https://", standard},  // no host
        {L"file:///C:/Windows/System32/calc.exe", standard},
        {L"C:\\Windows\\System32\\calc.exe", standard},
        {L"javascript:alert(1)", standard},
        {L" https://example.org/", standard},
    };
    for (const auto& [setting, address] : cases) {
        EXPECT_EQ(jlaunch::downloadAddress(setting), address) << jlaunch::toNarrow(setting);
    }
}

TEST(JreDialogChoice, LinuxWritesTheMessageAndAddressToStandardError) {
    for (const std::wstring& address :
         {std::wstring(jlaunch::kJavaDownloadAddress), std::wstring(L"https://x.test/")}) {
        ::testing::internal::CaptureStderr();
        const auto choice = jlaunch::showJreNotFoundDialog(
            L"No Java runtime (version 17 is required) from:", address,
            [](const std::wstring& folder) { return jlaunch::checkChosenFolder(folder, JvmType::Server); });
        const std::string written = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(choice.has_value());
        EXPECT_EQ(written, "No Java runtime (version 17 is required) from:\n" + jlaunch::toNarrow(address) + "\n");
    }
}

}  // namespace
