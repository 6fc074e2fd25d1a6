// The folder the user chose in the "JRE Not Found" dialog is remembered as
// "JRE Path" where the next launch reads it: the per-user copy for a desktop
// application, the settings file beside the exe for a service, and the
// paired launcher's files as well. A second launch of the real exe then
// takes it as its first source, without a dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include "jvmsearch/jvm_search.h"
#include "launch_helper.h"
#include "settings/settings_file.h"

namespace jlaunch::test {
namespace {

const std::wstring kJre = L"Java Runtime Environment";

LauncherSettings productSettings(bool service, const std::wstring& pairProduct) {
    LauncherSettings settings;
    settings.productName = L"My: App";  // ":" has no place in a folder name
    settings.productCode = L"code-1";
    settings.isService = service;
    settings.pairProduct = pairProduct;
    return settings;
}

TEST(JreWriteBack, DesktopApplicationWritesThePerUserCopiesOnly) {
    LauncherCopy copy(L"app\\Tool.exe");
    copy.writeSettings("[Java Runtime Environment]\r\nMain Class=Main\r\n");
    const TemporaryFolder appData;
    const EnvironmentScope scope(L"APPDATA", appData.path());
    const std::wstring pair = copy.exeFolder() + L"\\Tool32.exe";
    const std::wstring chosen = L"C:\\Java\\jre-17\\";

    writeBackJrePath(productSettings(false, pair), copy.exePath(), chosen);

    const std::wstring userFolder = appData.path() + L"\\My App\\code-1\\";
    EXPECT_EQ(readProfileString(userFolder + L"Tool.ini", kJre, L"JRE Path"), chosen);
    EXPECT_EQ(readProfileString(userFolder + L"Tool32.ini", kJre, L"JRE Path"), chosen);
    EXPECT_EQ(readProfileString(copy.settingsPath(), kJre, L"JRE Path"), L"");
    EXPECT_EQ(readProfileString(copy.exeFolder() + L"\\Tool32.ini", kJre, L"JRE Path"), L"");
}

TEST(JreWriteBack, ServiceWritesTheSettingsFilesBesideTheExecutables) {
    LauncherCopy copy(L"svc\\Service.exe");
    copy.writeSettings("[Java Runtime Environment]\r\nMain Class=Main\r\n");
    const TemporaryFolder appData;
    const EnvironmentScope scope(L"APPDATA", appData.path());
    const std::wstring pair = copy.folder().writeFile(L"svc\\Service32.exe", "");
    const std::wstring chosen = L"D:\\runtimes\\java 11\\";

    EXPECT_FALSE(writeBackJrePath(productSettings(true, pair), copy.exePath(), chosen).has_value());

    EXPECT_EQ(readProfileString(copy.settingsPath(), kJre, L"JRE Path"), chosen);
    EXPECT_EQ(readProfileString(copy.settingsPath(), kJre, L"Main Class"), L"Main");  // the rest is kept
    EXPECT_EQ(readProfileString(copy.exeFolder() + L"\\Service32.ini", kJre, L"JRE Path"), chosen);
    EXPECT_FALSE(readFileBytes(appData.path() + L"\\My App\\code-1\\Service.ini").has_value());
}

TEST(JreWriteBack, NothingIsWrittenWhereNamesPointOutsideTheirFolders) {
    LauncherCopy copy(L"svc\\Service.exe");
    copy.writeSettings("[Java Runtime Environment]\r\nMain Class=Main\r\n");
    const TemporaryFolder appData;
    const EnvironmentScope scope(L"APPDATA", appData.path());
    const std::wstring chosen = L"C:\\Java\\";
    // A paired launcher that is not there, or whose name has no dot of its own.
    writeBackJrePath(productSettings(true, copy.exeFolder() + L"\\Missing32.exe"), copy.exePath(), chosen);
    writeBackJrePath(productSettings(true, copy.exeFolder() + L"\\..\\svc"), copy.exePath(), chosen);
    EXPECT_FALSE(readFileBytes(copy.exeFolder() + L"\\Missing32.ini").has_value());
    EXPECT_FALSE(readFileBytes(copy.exeFolder() + L"\\..ini").has_value());
    // Product names that would climb out of the per-user folder give no per-user file.
    LauncherSettings escaping = productSettings(false, {});
    escaping.productName = L"..";
    escaping.productCode = L"..\\..\\planted";
    EXPECT_FALSE(writeBackJrePath(escaping, copy.exePath(), chosen).has_value());
    EXPECT_FALSE(readFileBytes(appData.path() + L"\\..\\planted\\Service.ini").has_value());
    EXPECT_FALSE(readFileBytes(appData.path() + L"\\Service.ini").has_value());
}

TEST(JreWriteBack, AFailedWriteIsReportedWithTheFileAndTheReason) {
    LauncherCopy copy(L"app\\Tool.exe");
    const TemporaryFolder appData;
    // A file where the per-user folders should go: nothing can be written below it.
    const std::wstring blocked = appData.writeFile(L"blocked", "");
    const EnvironmentScope scope(L"APPDATA", blocked);
    const auto failure = writeBackJrePath(productSettings(false, {}), copy.exePath(), L"C:\\Java\\");
    ASSERT_TRUE(failure.has_value());
    const std::wstring text = failureText(*failure);
    EXPECT_NE(text.find(blocked + L"\\My App\\code-1\\Tool.ini"), std::wstring::npos) << narrowForReport(text);
    EXPECT_EQ(failure->message, kMsgJrePathNotRemembered);
}

TEST(JreWriteBack, NextLaunchFindsTheRememberedFolderFirst) {
    LauncherCopy copy(L"app\\Tool.exe");
    copy.writeSettings(
        "[Product Information]\r\nProduct Name=My: App\r\nProduct Code=code-1\r\n"
        "[Java Runtime Environment]\r\nMain Class=Main\r\nJRE Path=C:\\nowhere\\\r\n");
    const TemporaryFolder appData;
    const TemporaryFolder runtime;
    // An empty file is no DLL: loading it fails with message 222, which names it.
    const std::wstring library = runtime.writeFile(L"bin\\server\\jvm.dll", "");
    {
        const EnvironmentScope scope(L"APPDATA", appData.path());
        writeBackJrePath(productSettings(false, {}), copy.exePath(), runtime.path() + L"\\");
    }

    ChildProcess child = copy.start({}, {{L"APPDATA", appData.path()}, {L"JAVA_HOME", std::nullopt}});
    ASSERT_TRUE(child.started());
    HWND box = child.waitForWindow();
    ASSERT_NE(box, nullptr);
    const MessageBoxView view = readMessageBox(box);
    // The per-user copy wins over the main file's unusable "JRE Path", and no dialog asks.
    EXPECT_NE(view.text.find(library), std::wstring::npos) << describe(view);
    EXPECT_TRUE(clickButton(box, IDOK));
    EXPECT_EQ(child.waitForExit(), std::optional<std::int32_t>(-1));
}

}  // namespace
}  // namespace jlaunch::test
