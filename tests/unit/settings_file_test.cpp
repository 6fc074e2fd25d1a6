// Settings files on disk: the layered read, the per-user copy and the file paths.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "settings/ini_text.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace {

using jlaunch::testing::ScopedEnvironment;

namespace fs = std::filesystem;
using jlaunch::parseIniText;
using jlaunch::readSetting;
using jlaunch::userSettingsFilePath;

jlaunch::LayeredSettings layered(const std::wstring& file, jlaunch::EmbeddedSettings embedded = {}) {
    return {jlaunch::ProfileFile(file), std::move(embedded)};
}

std::wstring wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class SettingsFolder : public ::testing::Test {
protected:
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    std::wstring write(const std::string& relative, const std::string& bytes) const {
        std::ofstream(path(relative), std::ios::binary) << bytes;
        return wide(path(relative));
    }

    jlaunch::testing::TestFolder folder_;
    std::string root_ = folder_.path().string();
};

using LayeredRead = SettingsFolder;

TEST_F(LayeredRead, FileOverridesEmbeddedAndPlusSectionExtendsIt) {
    const std::wstring file = write("app.ini",
                                    "[Application]\r\nCmd=-file\r\nBlank=\r\n[Application+]\r\nCmd=-plus\r\n"
                                    "OnlyPlus=-x\r\nQuoted=\" -q\"\r\nBlank=-b\r\n"
                                    "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-Xmx1g\r\n");
    const auto store = layered(file, parseIniText(L"[Application]\r\nCmd=-embedded\r\nOnlyPlus=-e\r\n"
                                                  L"EmbeddedOnly=e\r\nQuoted=-base\r\nBlank=-a\r\n"
                                                  L"[Java Runtime Environment]\r\n"
                                                  L"Virtual Machine Parameters=-Xss1m"));
    EXPECT_EQ(readSetting(store, L"Application", L"Cmd"), L"-file");
    EXPECT_EQ(readSetting(store, L"Application", L"OnlyPlus"), L"-e -x");
    EXPECT_EQ(readSetting(store, L"Application", L"Quoted"), L"-base -q");
    EXPECT_EQ(readSetting(store, L"Application", L"Blank"), L"-a -b");
    EXPECT_EQ(readSetting(store, L"Application", L"EmbeddedOnly"), L"e");
    EXPECT_EQ(readSetting(store, L"Application", L"Missing"), L"");
    EXPECT_EQ(readSetting(store, L"Java Runtime Environment", L"Virtual Machine Parameters"), L"-Xss1m -Xmx1g");

    // Without embedded settings a value found only in the "+" section keeps one leading space.
    const auto plain = layered(file);
    EXPECT_EQ(readSetting(plain, L"Application", L"OnlyPlus"), L" -x");
    EXPECT_EQ(readSetting(plain, L"Application", L"Quoted"), L" -q");
    EXPECT_EQ(readSetting(plain, L"Java Runtime Environment", L"Virtual Machine Parameters"), L" -Xmx1g");
}

TEST_F(LayeredRead, LongValuesAndEncodings) {
    const std::string big(1u << 20, 'v');
    const auto large = layered(write("large.ini", "[S]\r\nK=" + big + "\r\n[S+]\r\nL=" + big));
    EXPECT_EQ(readSetting(large, L"S", L"K").size(), big.size());
    EXPECT_EQ(readSetting(large, L"S", L"L").size(), big.size() + 1);

    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : std::u16string(u"[S]\r\nName=Gr\u00FC\u00DFe \U0001F600\r\n")) {
        utf16.push_back(static_cast<char>(unit & 0xFF));
        utf16.push_back(static_cast<char>(unit >> 8));
    }
    EXPECT_EQ(readSetting(layered(write("utf16.ini", utf16)), L"S", L"Name"), L"Gr\u00FC\u00DFe \U0001F600");
    EXPECT_EQ(readSetting(layered(write("bom.ini", "\xEF\xBB\xBF[S]\nK=\xE2\x82\xAC")), L"S", L"K"), L"\u20AC");
}

TEST_F(LayeredRead, BadFilesNeverCrashAndReadAsEmpty) {
    const auto embeddedOnly = layered(wide(path("missing.ini")), parseIniText(L"[S]\r\nK=e"));
    EXPECT_EQ(readSetting(embeddedOnly, L"S", L"K"), L"e");

    fs::create_directory(path("folder.ini"));
    const auto folder = layered(wide(path("folder.ini")));
    EXPECT_EQ(readSetting(folder, L"S", L"K"), L"");
    EXPECT_TRUE(jlaunch::ProfileFile(wide(path("folder.ini"))).sectionNames().empty());

    EXPECT_EQ(readSetting(layered(write("empty.ini", "")), L"S", L"K"), L"");
    EXPECT_EQ(readSetting(layered(write("dup.ini", "[S]\r\nK=1\r\n[S]\r\nK=2\r\n")), L"S", L"K"), L"1");

    // Random bytes (no line ends) ahead of a good section: the section is still found.
    std::mt19937 random(7);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() % 256);
        if (c == '\n' || c == '\r') c = ' ';
    }
    garbage[0] = 'x';  // not a byte-order mark
    const std::wstring garbled = write("garbage.ini", garbage + "\n[S]\nK=v\n" + garbage);
    EXPECT_EQ(readSetting(layered(garbled), L"S", L"K"), L"v");
    EXPECT_FALSE(jlaunch::ProfileFile(garbled).sectionNames().empty());
}

TEST_F(LayeredRead, UnreadableFileReadsAsEmpty) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions are not enforced for root";
    }
    const std::wstring locked = write("locked.ini", "[S]\r\nK=v\r\n");
    ASSERT_EQ(chmod(path("locked.ini").c_str(), 0), 0);
    EXPECT_EQ(readSetting(layered(locked), L"S", L"K"), L"");
}

TEST_F(LayeredRead, SettingsFileIsWrittenReadAndDeleted) {
    const std::wstring fresh = wide(path("fresh.ini"));
    jlaunch::writeProfileString(fresh, L"Java Runtime Environment", L"JRE Path", L"/opt/jre");
    jlaunch::writeProfileString(fresh, L"Other", L"K", L"v");
    jlaunch::writeProfileString(fresh, L"Java Runtime Environment", L"JRE Path", L"/opt/jre2");
    EXPECT_EQ(jlaunch::readProfileString(fresh, L"Java Runtime Environment", L"JRE Path"), L"/opt/jre2");
    EXPECT_EQ(jlaunch::ProfileFile(fresh).sectionNames(),
              (std::vector<std::wstring>{L"Java Runtime Environment", L"Other"}));
    EXPECT_TRUE(jlaunch::deleteSettingsFile(fresh));
    EXPECT_FALSE(fs::exists(path("fresh.ini")));
    EXPECT_EQ(jlaunch::readProfileString(fresh, L"Other", L"K"), L"");
}

using UserSettingsPath = SettingsFolder;

TEST_F(UserSettingsPath, FormedBelowXdgConfigHomeOrHome) {
    ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", path("cfg").c_str());
    environment.set("HOME", path("home").c_str());
    EXPECT_EQ(userSettingsFilePath(L"/opt/app/bin/tool.sh", L"A/B:C", L"{code}", false),
              wide(path("cfg/ABC/{code}/tool.ini")));
    EXPECT_EQ(userSettingsFilePath(L"/opt/my.app/tool", L"a\\b?c\"d|e>f<g:h/i*j", L"P", false),
              wide(path("cfg/abcdefghij/P/tool.ini")));
    EXPECT_EQ(userSettingsFilePath(L"/opt/app/tool.v2.bin", L"N", L"P", false), wide(path("cfg/N/P/tool.v2.ini")));
    EXPECT_FALSE(fs::exists(path("cfg")));  // formed for reading, nothing is created

    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
        environment.set("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(userSettingsFilePath(L"/opt/app/tool", L"N", L"P", false), wide(path("home/.config/N/P/tool.ini")));
    }
    environment.set("HOME", nullptr);
    EXPECT_EQ(userSettingsFilePath(L"/opt/app/tool", L"N", L"P", false), L"");
}

TEST_F(UserSettingsPath, FormedForWritingCreatesTheFolders) {
    ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", nullptr);
    // A fresh account may not have its configuration folder yet.
    ASSERT_TRUE(fs::create_directory(path("home")));
    environment.set("HOME", path("home").c_str());
    const std::wstring file = userSettingsFilePath(L"/opt/app/tool", L"My: App", L"{42}", true);
    EXPECT_EQ(file, wide(path("home/.config/My App/{42}/tool.ini")));
    EXPECT_TRUE(fs::is_directory(path("home/.config/My App/{42}")));
    EXPECT_FALSE(fs::exists(path("home/.config/My App/{42}/tool.ini")));

    // Existing folders are no failure, and the file can then be written and read back.
    EXPECT_EQ(userSettingsFilePath(L"/opt/app/tool", L"My: App", L"{42}", true), file);
    jlaunch::writeProfileString(file, L"Java Runtime Environment", L"JRE Path", L"/usr/lib/jvm/j");
    EXPECT_EQ(jlaunch::readProfileString(file, L"Java Runtime Environment", L"JRE Path"), L"/usr/lib/jvm/j");
}

TEST_F(UserSettingsPath, LongRootFoldersWork) {
    std::string longRoot = root_;
    while (longRoot.size() < 320) longRoot += "/" + std::string(60, 'd');
    ASSERT_TRUE(fs::create_directories(longRoot));
    ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", longRoot.c_str());
    const std::wstring file = userSettingsFilePath(L"/opt/app/tool", L"N", L"P", true);
    EXPECT_EQ(file, wide(longRoot + "/N/P/tool.ini"));
    EXPECT_TRUE(fs::is_directory(longRoot + "/N/P"));

    environment.set("XDG_CONFIG_HOME", nullptr);
    environment.set("HOME", longRoot.c_str());
    EXPECT_EQ(userSettingsFilePath(L"/opt/app/tool", L"N", L"P", true), wide(longRoot + "/.config/N/P/tool.ini"));
    EXPECT_TRUE(fs::is_directory(longRoot + "/.config/N/P"));
}

TEST(SettingsFilePath, OnlyAnExtensionOfTheFileNameIsReplaced) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"/opt/app/bin/app", L"/opt/app/bin/app.ini"},
        {L"/opt/app/bin/app.exe", L"/opt/app/bin/app.ini"},
        {L"/opt/my.app/bin/tool", L"/opt/my.app/bin/tool.ini"},
        {L"/opt/app/tool.v2.bin", L"/opt/app/tool.v2.ini"},
        {L"/opt/app/tool.", L"/opt/app/tool.ini"},
        // A leading dot marks a hidden file, not an extension.
        {L"/opt/app/.tool", L"/opt/app/.tool.ini"},
        {L".tool", L".tool.ini"},
        {L"tool.bin", L"tool.ini"},
        {L"tool", L"tool.ini"},
    };
    for (const auto& [executable, expected] : cases) {
        EXPECT_EQ(jlaunch::settingsFilePathFor(executable).value_or(L"<none>"), expected);
    }
}

}  // namespace
