// The settings files through the system's profile functions: long values,
// the layered read, section lists, the per-user copy's path, file headers,
// and the narrow text the launcher hands on.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/paths.h"
#include "common/system.h"
#include "common/text.h"
#include "launch_helper.h"
#include "settings/ini_text.h"
#include "settings/settings_file.h"

namespace jlaunch::test {
namespace {

class SettingsFiles : public testing::Test {
protected:
    std::wstring write(std::string_view bytes, std::wstring_view name = L"settings.ini") const {
        return temp_.writeFile(name, bytes);
    }

    TemporaryFolder temp_;
};

TEST_F(SettingsFiles, ValuesOfEveryLengthAreReadWhole) {
    // Lengths around each doubling of a 256-character buffer, and far beyond.
    const std::vector<std::size_t> lengths = {1, 254, 255, 256, 257, 510, 511, 512, 513, 1023, 5000, 1 << 20};
    std::string text = "[Section]\r\n";
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        std::string value(lengths[i], static_cast<char>('a' + i));
        value.back() = 'z';  // a cut value would lose this
        text += "Key" + std::to_string(i) + "=" + value + "\r\n";
    }
    const std::wstring file = write(text);
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const std::wstring value = readProfileString(file, L"Section", L"Key" + std::to_wstring(i));
        EXPECT_EQ(value.size(), lengths[i]);
        EXPECT_EQ(value.back(), L'z') << lengths[i];
        EXPECT_EQ(value.find_first_not_of(static_cast<wchar_t>(L'a' + i)), lengths[i] - 1) << lengths[i];
    }
}

TEST_F(SettingsFiles, MissingFileSectionOrKeyReadsEmpty) {
    const std::wstring file = write("[Section]\r\nKey=value\r\nEmpty=\r\n");
    EXPECT_EQ(readProfileString(file, L"Section", L"Key"), L"value");
    EXPECT_EQ(readProfileString(file, L"Section", L"Missing"), L"");
    EXPECT_EQ(readProfileString(file, L"Section", L"Empty"), L"");
    EXPECT_EQ(readProfileString(file, L"Other", L"Key"), L"");
    EXPECT_EQ(readProfileString(temp_ / L"missing.ini", L"Section", L"Key"), L"");
    EXPECT_EQ(readProfileString(temp_.path(), L"Section", L"Key"), L"") << "a folder reads as no file";
}

TEST_F(SettingsFiles, SystemReaderTrimsBlanksAndOnePairOfQuotes) {
    const std::wstring file = write("[Section]\r\nPadded=   a b   \r\nQuoted=\"  q  \"\r\nTwice=\"\"x\"\"\r\n");
    EXPECT_EQ(readProfileString(file, L"Section", L"Padded"), L"a b");
    EXPECT_EQ(readProfileString(file, L"Section", L"Quoted"), L"  q  ");
    EXPECT_EQ(readProfileString(file, L"Section", L"Twice"), L"\"x\"");
}

TEST_F(SettingsFiles, Utf16FileWithByteOrderMarkKeepsEveryCharacter) {
    const std::wstring value = L"C:\\J\u00E4v\u00E4\\\u4E2D\u6587\\\u0416";
    const std::wstring file = write(utf16Bytes(L"[Java Runtime Environment]\r\nJRE Path=" + value + L"\r\n"));
    EXPECT_EQ(readProfileString(file, L"Java Runtime Environment", L"JRE Path"), value);

    // The write-back keeps a Unicode file Unicode.
    const std::wstring other = L"D:\\\u0416\u4E2D";
    writeProfileString(file, L"Java Runtime Environment", L"JRE Path", other);
    EXPECT_EQ(readProfileString(file, L"Java Runtime Environment", L"JRE Path"), other);
}

TEST_F(SettingsFiles, WriteCreatesTheFileAndDeleteRemovesIt) {
    const std::wstring file = temp_ / L"new.ini";
    writeProfileString(file, L"Java Runtime Environment", L"JRE Path", L"C:\\jre");
    EXPECT_EQ(readProfileString(file, L"Java Runtime Environment", L"JRE Path"), L"C:\\jre");
    EXPECT_EQ(ProfileFile(file).value(L"Java Runtime Environment", L"JRE Path"), L"C:\\jre");
    EXPECT_TRUE(deleteSettingsFile(file));
    EXPECT_FALSE(deleteSettingsFile(file));
    EXPECT_EQ(readProfileString(file, L"Java Runtime Environment", L"JRE Path"), L"");
}

// The layered read over the file "settings.ini" and embedded INI text.
class LayeredRead : public SettingsFiles {
protected:
    std::wstring read(std::string_view fileText, std::wstring_view embeddedText, const std::wstring& key = L"Cmd") {
        const LayeredSettings store(ProfileFile(write(fileText)), parseIniText(embeddedText));
        return readSetting(store, L"Application", key);
    }
};

TEST_F(LayeredRead, PlusSectionAloneGivesItsValueAfterOneSpace) {
    EXPECT_EQ(read("[Application+]\r\nCmd=-x\r\n", L""), L" -x");
}

TEST_F(LayeredRead, FileValueReplacesEverythingElse) {
    EXPECT_EQ(read("[Application]\r\nCmd=-a\r\n[Application+]\r\nCmd=-x\r\n", L""), L"-a");
    EXPECT_EQ(read("[Application]\r\nCmd=-a\r\n", L"[Application]\r\nCmd=-e\r\n"), L"-a");
}

TEST_F(LayeredRead, PlusSectionExtendsTheEmbeddedValue) {
    EXPECT_EQ(read("[Application+]\r\nCmd=-x\r\n", L"[Application]\r\nCmd=-e\r\n"), L"-e -x");
    // A value that begins with its own space gets no second one.
    EXPECT_EQ(read("[Application+]\r\nCmd=\" -x\"\r\n", L"[Application]\r\nCmd=-e\r\n"), L"-e -x");
    EXPECT_EQ(read("[Application+]\r\nCmd=\" -x\"\r\n", L""), L" -x");
}

TEST_F(LayeredRead, EmbeddedValueStandsWhenTheFileHasNone) {
    EXPECT_EQ(read("[Application]\r\nOther=1\r\n", L"[Application]\r\nCmd=-e\r\n"), L"-e");
    EXPECT_EQ(read("[Application]\r\nCmd=\r\n[Application+]\r\nCmd=\r\n", L"[Application]\r\nCmd=-e\r\n"), L"-e");
    EXPECT_EQ(read("", L""), L"");
    // The embedded settings compare names exactly; the file's reader ignores case.
    EXPECT_EQ(read("", L"[application]\r\nCmd=-e\r\n"), L"");
    EXPECT_EQ(read("[APPLICATION+]\r\ncmd=-x\r\n", L""), L" -x");
}

TEST_F(LayeredRead, OnlyTheSectionNamePlusAPlusSignExtends) {
    EXPECT_EQ(read("[Application +]\r\nCmd=-x\r\n[+Application]\r\nCmd=-y\r\n", L""), L"");
    EXPECT_EQ(read("[Application++]\r\nCmd=-x\r\n", L""), L"");
}

TEST_F(SettingsFiles, SectionNamesBeyondTheFirstBufferAreAllListed) {
    // Totals (names and their terminators) around the 256-character buffer and far past it.
    for (const std::size_t total : {253u, 254u, 255u, 256u, 257u, 511u, 512u, 2000u}) {
        SCOPED_TRACE(total);
        std::vector<std::wstring> names;
        std::string text;
        for (std::size_t remaining = total; remaining > 0;) {
            const std::size_t length = remaining <= 41 ? remaining - 1 : 20;
            std::wstring name = L"S" + std::to_wstring(names.size());
            name.resize(length, L'n');
            text += "[" + narrowForReport(name) + "]\r\nKey=1\r\n";
            names.push_back(std::move(name));
            remaining -= length + 1;
        }
        const std::wstring file = write(text, L"sections" + std::to_wstring(total) + L".ini");
        EXPECT_EQ(ProfileFile(file).sectionNames(), names);
    }
    EXPECT_TRUE(ProfileFile(temp_ / L"missing.ini").sectionNames().empty());
}

TEST(SettingsFilePath, ExecutablePathUpToItsLastDotThenIni) {
    EXPECT_EQ(settingsFilePathFor(L"C:\\Apps\\Tool.exe"), L"C:\\Apps\\Tool.ini");
    EXPECT_EQ(settingsFilePathFor(L"C:\\Apps\\My App.v2.exe"), L"C:\\Apps\\My App.v2.ini");
    // The last dot may lie in a folder name.
    EXPECT_EQ(settingsFilePathFor(L"C:\\app.d\\tool"), L"C:\\app.ini");
    EXPECT_EQ(settingsFilePathFor(L"C:\\Apps\\Tool"), std::nullopt);

    // The running program's own file.
    std::wstring own = testProgramPath();
    own.replace(own.rfind(L'.') + 1, std::wstring::npos, L"ini");
    std::uint32_t error = 0;
    EXPECT_EQ(settingsFilePathFor(executablePath(error).value_or(L"")), own);
}

class UserSettingsPath : public testing::Test {
protected:
    TemporaryFolder appData_;
};

TEST_F(UserSettingsPath, ProductNameWithoutForbiddenCharactersThenCodeThenExeName) {
    const EnvironmentScope scope(L"APPDATA", appData_.path());
    EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"A/B:C", L"{C0DE}", false),
              appData_ / L"ABC\\{C0DE}\\Tool.ini");
    EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"a\\b?c\"d|e>f<g:h/i*j k", L"1", false),
              appData_ / L"abcdefghij k\\1\\Tool.ini");
    // Only the file name's extension goes; an executable without one keeps its name.
    EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool", L"P", L"C", false), appData_ / L"P\\C\\Tool.ini");
    EXPECT_EQ(userSettingsFilePath(L"C:\\app.d\\tool", L"P", L"C", false), appData_ / L"P\\C\\tool.ini");
    EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\archive.tar.exe", L"P", L"C", false),
              appData_ / L"P\\C\\archive.tar.ini");
    EXPECT_FALSE(pathExists(appData_ / L"ABC")) << "formed for reading, nothing is created";
}

TEST_F(UserSettingsPath, ForWritingCreatesBothFoldersButNotTheFile) {
    const EnvironmentScope scope(L"APPDATA", appData_.path());
    const std::wstring path = userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"A/B:C", L"{C0DE}", true);
    EXPECT_EQ(path, appData_ / L"ABC\\{C0DE}\\Tool.ini");
    EXPECT_TRUE(pathExists(appData_ / L"ABC\\{C0DE}"));
    EXPECT_FALSE(pathExists(path));
    // Existing folders are no obstacle.
    EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"A/B:C", L"{C0DE}", true), path);
}

TEST_F(UserSettingsPath, UnsetEmptyOrOverlongAppDataGivesNoPath) {
    {
        const EnvironmentScope scope(L"APPDATA", std::nullopt);
        EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"P", L"C", true), L"");
    }
    {
        const EnvironmentScope scope(L"APPDATA", std::wstring());
        EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"P", L"C", false), L"");
    }
    // The classic buffer holds 259 characters and its terminator.
    std::wstring longest = appData_.path() + L"\\";
    longest.resize(259, L'x');
    {
        const EnvironmentScope scope(L"APPDATA", longest);
        EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"P", L"C", false), longest + L"\\P\\C\\Tool.ini");
    }
    for (const std::size_t length : {260u, 261u, 1000u}) {
        std::wstring tooLong = longest;
        tooLong.resize(length, L'x');
        const EnvironmentScope scope(L"APPDATA", tooLong);
        EXPECT_EQ(userSettingsFilePath(L"C:\\Apps\\Tool.exe", L"P", L"C", true), L"") << length;
    }
}

TEST(NarrowText, CharacterOutsideTheAnsiCodePageBecomesItsDefaultCharacter) {
    CPINFOEXW info{};
    ASSERT_TRUE(GetCPInfoExW(CP_THREAD_ACP, 0, &info));
    if (info.CodePage == CP_UTF8) {
        GTEST_SKIP() << "a UTF-8 ANSI code page represents every character";
    }
    const std::string defaultCharacter(reinterpret_cast<const char*>(info.DefaultChar));
    // Tibetan has no place in any ANSI code page.
    EXPECT_EQ(toNarrow(L"C:\\a\u0F00b.jar"), "C:\\a" + defaultCharacter + "b.jar");
    EXPECT_EQ(toNarrow(L"\u0F00\u0F01"), defaultCharacter + defaultCharacter);
    EXPECT_EQ(toNarrow(L""), "");
    // What the code page holds comes back unchanged.
    EXPECT_EQ(toWide(toNarrow(L"C:\\Program Files\\App\\app.jar")), L"C:\\Program Files\\App\\app.jar");
    EXPECT_EQ(toWide(static_cast<const char*>(nullptr)), L"");
}

}  // namespace
}  // namespace jlaunch::test
