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
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "settings/ini_text.h"
#include "settings/launcher_settings.h"
#include "settings/settings_check.h"
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
    std::string garbage(std::size_t{64} * 1024, '\0');
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

using jlaunch::NameNotice;
using jlaunch::SettingId;
using jlaunch::ValueProblem;
using Texts = std::vector<std::wstring>;

// What the trace and jlaunch-pack say about a settings file (and embedded
// settings) beside an executable, and what the launch then does.
struct CheckCase {
    const char* what;
    std::string file;
    std::wstring embedded;
    Texts notices;           // the lines that name problems, in order
    unsigned failure = 0;    // the message that stops the launch, or 0
    Texts failureArguments = {};  // its texts, without the file's path
};

class SettingsChecks : public SettingsFolder {
protected:
    Texts notices(const std::wstring& file, const jlaunch::EmbeddedSettings& embedded) const {
        const jlaunch::LayeredSettings store(jlaunch::ProfileFile(file), embedded);
        Texts lines;
        for (const NameNotice& n : jlaunch::checkSettingNames(jlaunch::outlineOf(store.file()), false)) {
            lines.push_back(describe(n));
        }
        for (const NameNotice& n : jlaunch::checkSettingNames(jlaunch::outlineOf(store.embedded()), true)) {
            lines.push_back(L"embedded: " + describe(n));
        }
        for (const ValueProblem& p : jlaunch::checkSettingValues(jlaunch::readSettingValues(store, {}))) {
            lines.push_back(describe(p));
        }
        return lines;
    }
};

TEST_F(SettingsChecks, FilesToTheirDiagnostics) {
    const std::string main = "[Java Runtime Environment]\nMain Class=a.B\n";
    const CheckCase cases[] = {
        {"a clean file",
         main + "Minimum Version=17\nMaximum Version=ANY\n[Application]\nSingle Instance=yes\n",
         L"",
         {}},
        {"misspelt key",
         main + "Virtual Machine Parametres=-Xmx1g\n",
         L"",
         {L"unknown key \"Virtual Machine Parametres\" in [Java Runtime Environment] is not read; did you mean "
          L"[Java Runtime Environment] Virtual Machine Parameters?"}},
        {"misspelt section and its extension",
         main + "[Aplication]\nCmd=x\n[Aplication+]\nCmd=y\n[Nothing]\nk=v\n",
         L"",
         {L"unknown section [Aplication] is not read; did you mean [Application]?",
          L"unknown section [Aplication+] is not read; did you mean [Application+]?",
          L"unknown section [Nothing] is not read"}},
        {"a key in the wrong section",
         main + "[Application]\nMain Class=c.D\n",
         L"",
         {L"unknown key \"Main Class\" in [Application] is not read; did you mean [Java Runtime Environment] Main "
          L"Class?"}},
        {"a key that is never layered, in a + section",
         main + "[Display+]\nSplash Screen=s.png\n",
         L"",
         {L"unknown key \"Splash Screen\" in [Display+] is not read; did you mean [Display] Splash Screen?"}},
        {"a section and a key repeated; comments and case are fine in the file",
         main + "; note=1\nmain class=x.Y\n[java runtime environment]\nMinimum Version=1\n",
         L"",
         {L"key \"main class\" appears again in [Java Runtime Environment]: only the first is read",
          L"section [java runtime environment] appears again: only its first appearance is read"}},
        {"embedded names compare exactly",
         main,
         L"[application]\r\nCmd=x\r\n[Application]\r\ncmd=y\r\n",
         {L"embedded: unknown section [application] is not read; did you mean [Application]?",
          L"embedded: unknown key \"cmd\" in [Application] is not read; did you mean [Application] Cmd?"}},
        {"words that mean nothing read as not set",
         main + "JVM Source=only_jdk\n[Application]\nSingle Instance=Yes\nFailure Check=YES\n",
         L"",
         {L"[Java Runtime Environment] JVM Source = \"only_jdk\" is none of: favor_JRE|favor_JDK|only_JDK|only_JRE "
          L"(exactly so); it reads as if not set",
          L"[Application] Single Instance = \"Yes\" is none of: yes|no (exactly so); it reads as if not set"}},
        {"a + value that the file's own value hides",
         main + "[Application]\nCmd=--a\n[Application+]\nCmd=--b\n",
         L"",
         {L"[Application+] Cmd = \"--b\" is not read: [Application] Cmd = \"--a\" in the same file replaces it "
          L"(\"+\" extends only an embedded value)"}},
        {"a version without digits",
         main + "Minimum Version=abc\n",
         L"",
         {L"[Java Runtime Environment] Minimum Version = \"abc\" is not a Java version (such as 17 or 1.8) nor "
          L"\"any\""},
         jlaunch::kMsgSettingUnreadable,
         {L"Minimum Version", L"Java Runtime Environment", L"abc"}},
        {"a version too large to hold",
         main + "Maximum Version=99999999999\n",
         L"",
         {L"[Java Runtime Environment] Maximum Version = \"99999999999\" is not a Java version (such as 17 or 1.8) "
          L"nor \"any\""},
         jlaunch::kMsgSettingUnreadable,
         {L"Maximum Version", L"Java Runtime Environment", L"99999999999"}},
        {"a preferred version without digits",
         main + "Preferred versions=21;;latest\n",
         L"",
         {L"[Java Runtime Environment] Preferred versions = \"latest\" is not a Java version (such as 17 or 1.8)"},
         jlaunch::kMsgSettingUnreadable,
         {L"Preferred versions", L"Java Runtime Environment", L"latest"}},
        {"an empty range, the maximum embedded",
         main + "Minimum Version=26\n",
         L"[Java Runtime Environment]\r\nMaximum Version=17\r\n",
         {L"no Java version is accepted: [Java Runtime Environment] Minimum Version \"26\" is above Maximum Version "
          L"\"17\""},
         0,
         {}},
        {"an empty range in the file",
         main + "Minimum Version=26\nMaximum Version=17\n",
         L"",
         {L"no Java version is accepted: [Java Runtime Environment] Minimum Version \"26\" is above Maximum Version "
          L"\"17\""},
         jlaunch::kMsgVersionRangeEmpty,
         {L"26", L"17"}},
        {"one version is a range of its own", main + "Minimum Version=17\nMaximum Version=17\n", L"", {}},
        {"restart codes at the ends of a Java int, a sign and 0 (never) are numbers",
         main + "[Application]\nRestart Code=-2147483648\n[Application+]\nRestart Code=+7\n",
         L"",
         {L"[Application+] Restart Code = \"+7\" is not read: [Application] Restart Code = \"-2147483648\" in the "
          L"same file replaces it (\"+\" extends only an embedded value)"}},
        {"restart code 0", main + "[Application]\nRestart Code=0\n", L"", {}},
        {"a restart code that is a word",
         main + "[Application]\nRestart Code=abc\n",
         L"",
         {L"[Application] Restart Code = \"abc\" is not a whole number from -2147483648 to 2147483647"},
         jlaunch::kMsgSettingNotNumber,
         {L"Restart Code", L"Application", L"-2147483648", L"2147483647", L"abc"}},
        {"a restart code too large to hold",
         main + "[Application]\nRestart Code=99999999999\n",
         L"",
         {L"[Application] Restart Code = \"99999999999\" is not a whole number from -2147483648 to 2147483647"},
         jlaunch::kMsgSettingNotNumber,
         {L"Restart Code", L"Application", L"-2147483648", L"2147483647", L"99999999999"}},
        {"a restart code one past a Java int, in the + section",
         main + "[Application+]\nRestart Code=2147483648\n",
         L"",
         {L"[Application] Restart Code = \"2147483648\" is not a whole number from -2147483648 to 2147483647"},
         jlaunch::kMsgSettingNotNumber,
         {L"Restart Code", L"Application", L"-2147483648", L"2147483647", L"2147483648"}},
        {"a restart code one below a Java int",
         main + "[Application]\nRestart Code=-2147483649\n",
         L"",
         {L"[Application] Restart Code = \"-2147483649\" is not a whole number from -2147483648 to 2147483647"},
         jlaunch::kMsgSettingNotNumber,
         {L"Restart Code", L"Application", L"-2147483648", L"2147483647", L"-2147483649"}},
        {"a restart code with a fraction, the maximum embedded",
         main,
         L"[Application]\r\nRestart Code=1.5\r\n",
         {L"[Application] Restart Code = \"1.5\" is not a whole number from -2147483648 to 2147483647"}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring file = write("app.ini", c.file);
        const auto embedded = parseIniText(c.embedded);
        EXPECT_EQ(notices(file, embedded), c.notices);
        if (!c.embedded.empty()) {
            continue;  // a launch reads no embedded settings here
        }
        const auto settings = jlaunch::readLauncherSettings(wide(path("app")));
        EXPECT_EQ(settings.ok(), c.failure == 0);
        if (!settings) {
            Texts arguments;
            for (const auto& argument : settings.failure().arguments) {
                arguments.push_back(std::get<std::wstring>(argument));
            }
            EXPECT_EQ(settings.failure().message, c.failure);
            EXPECT_EQ(arguments.back(), file);
            arguments.pop_back();
            EXPECT_EQ(arguments, c.failureArguments);
        }
    }
}

// The layered read by kind: words lose their blanks, lists join at their
// separator, arguments keep the space the "+" section is added with.
TEST_F(SettingsChecks, LayeredValuesByKind) {
    struct Case {
        std::string file;
        std::wstring embedded;
        SettingId id;
        std::wstring value;
    };
    const Case cases[] = {
        {"[Application+]\nSingle Instance=yes\n", L"", SettingId::SingleInstance, L"yes"},
        {"[Java Runtime Environment+]\nMain Class=a.B\n", L"", SettingId::MainClass, L"a.B"},
        {"[Application+]\nCmd=--b\n", L"", SettingId::Cmd, L" --b"},
        {"[Application+]\nCmd=--b\n", L"[Application]\r\nCmd=--a", SettingId::Cmd, L"--a --b"},
        {"[Application]\nCmd=--a\n[Application+]\nCmd=--b\n", L"", SettingId::Cmd, L"--a"},
        {"[Class Path+]\nClass Path=;b.jar\n", L"[Class Path]\r\nClass Path=a.jar", SettingId::ClassPath,
         L"a.jar;b.jar"},
        {"[Class Path+]\nClass Path=b.jar\n", L"[Class Path]\r\nClass Path=a.jar", SettingId::ClassPath,
         L"a.jar b.jar"},
        {"[Java Runtime Environment+]\nAdd Modules=,m2\n", L"[Java Runtime Environment]\r\nAdd Modules=m1",
         SettingId::AddModules, L"m1,m2"},
        // The packed settings show a splash, a "+" section never; the file's own value wins.
        {"[Display+]\nSplash Screen=b.png\n", L"[Display]\r\nSplash Screen=a.png", SettingId::SplashScreen,
         L"a.png"},
        {"[Display]\nSplash Screen=c.png\n", L"[Display]\r\nSplash Screen=a.png", SettingId::SplashScreen,
         L"c.png"},
        // Never layered: neither the embedded value nor a "+" section counts.
        {"[Product Information]\nProduct Name=P\n", L"[Product Information]\r\nProduct Name=E", SettingId::ProductName,
         L"P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const jlaunch::LayeredSettings store(jlaunch::ProfileFile(write("app.ini", c.file)), parseIniText(c.embedded));
        EXPECT_EQ(jlaunch::valueOf(jlaunch::readSettingValues(store, {}), c.id).value, c.value);
    }
}

// README's settings table and the launcher's vocabulary name the same keys.
TEST(SettingsVocabulary, ReadmeTableNamesEveryKey) {
    std::ifstream readme(JLAUNCH_SOURCE_DIR "/README.md");
    ASSERT_TRUE(readme) << "README.md";
    std::set<std::wstring> documented;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line == "| Section | Key | Example: when to use it |") {
            inTable = true;
        } else if (inTable && !line.starts_with("|")) {
            break;
        } else if (inTable && !line.starts_with("|---")) {
            const auto sectionEnd = line.find(" | ", 2);
            const auto keysEnd = line.find(" | ", sectionEnd + 3);
            const std::string section = line.substr(2, sectionEnd - 2);
            std::stringstream keys(line.substr(sectionEnd + 3, keysEnd - sectionEnd - 3));
            for (std::string key; std::getline(keys, key, ',');) {
                documented.insert(wide(section + "] " + key.substr(key.front() == ' ' ? 1 : 0)));
            }
        }
    }
    std::set<std::wstring> known;
    for (const jlaunch::SettingKey& key : jlaunch::settingKeys()) {
        known.insert(std::wstring(key.section) + L"] " + std::wstring(key.key));
    }
    EXPECT_EQ(documented, known);
}

}  // namespace
