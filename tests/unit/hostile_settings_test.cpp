// What a careless or hostile settings file can put in a name, a parameter
// list or a memory share, through the functions that read them.
#include <gtest/gtest.h>

#include "common/paths.h"
#include "jvmhost/date_time_pattern.h"
#include "jvmhost/memory_options.h"
#include "jvmhost/vm_options.h"
#include "jvmsearch/jvm_search.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace {

using jlaunch::testing::TestFolder;

TEST(HostileSettings, NamesBecomeOneSafeFolderOrNone) {
    const std::pair<std::wstring, std::optional<std::wstring>> cases[] = {
        {L"My App", L"My App"},
        {L"A/B:C", L"ABC"},
        {L"{2F1A-77}", L"{2F1A-77}"},
        {L"..", std::nullopt},
        {L".", std::nullopt},
        {L"../planted", L"..planted"},  // no separator left: one folder
        {L"..\\..\\x", L"....x"},
        {L"name. . ", L"name"},  // Windows would drop them anyway
        {L"CON", std::nullopt},
        {L"nul.txt", std::nullopt},
        {L"Com1", std::nullopt},
        {L"LPT9 ", std::nullopt},
        {L"COM10", L"COM10"},
        {L"CONSOLE", L"CONSOLE"},
        {L"a\tb\x01", L"ab"},
        {L"\u00C4pfel \u4E2D", L"\u00C4pfel \u4E2D"},
        {std::wstring(128, L'x'), std::wstring(128, L'x')},
        {std::wstring(129, L'x'), std::nullopt},
        {L"*?\"<>|", std::nullopt},
    };
    for (const auto& [name, safe] : cases) {
        EXPECT_EQ(jlaunch::safePathComponent(name), safe) << jlaunch::toNarrow(name);
    }
}

TEST(HostileSettings, PerUserFileNeverLeavesTheConfigurationFolder) {
    TestFolder f;
    jlaunch::testing::ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", (f.path() / "cfg").c_str());
    const std::wstring root = f.wide() + L"/cfg/";
    EXPECT_EQ(jlaunch::userSettingsFilePath(L"/opt/app/tool", L"..", L"../planted", false), L"");
    EXPECT_EQ(jlaunch::userSettingsFilePath(L"/opt/app/tool", L"NUL", L"code", false), L"");
    EXPECT_EQ(jlaunch::userSettingsFilePath(L"/opt/app/tool", L"", L"", false), root + L"tool.ini");
    EXPECT_EQ(jlaunch::userSettingsFilePath(L"C:/x/../../evil", L"N", L"P", false), root + L"N/P/evil.ini");

    // A write that fails is reported once, with the file and the reason.
    environment.set("XDG_CONFIG_HOME", f.write("not-a-folder").c_str());
    jlaunch::LauncherSettings settings;
    settings.productName = L"N";
    const auto failure = jlaunch::writeBackJrePath(settings, L"/opt/app/tool", L"/opt/jdk/");
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(jlaunch::failureText(*failure),
              L"The chosen Java folder could not be remembered for the next start.\nFile: " + f.wide() +
                  L"/not-a-folder/N/tool.ini\nReason: Not a directory.\n");
}

TEST(HostileSettings, ParameterListsOfAnySizeSplit) {
    // Spaces alone never make a parameter; a "+" section's value begins with one.
    EXPECT_EQ(jlaunch::splitVmParameters(L" -Xmx1g   -ea "), (std::vector<std::wstring>{L"-Xmx1g", L"-ea"}));
    // Many quotes and long letters: quadratic work would take minutes here
    // (scripts/fuzz feeds such inputs with a time-out).
    const std::wstring quotes(2'000'000, L'"');
    const std::wstring letters(2'000'000, L'y');
    EXPECT_EQ(jlaunch::splitVmParameters(quotes).size(), 1u);
    // Each tripled quote leaves one, as '"""x' leaves '"x'; the last two enclose nothing.
    std::wstring unquoted = quotes + L"x";
    jlaunch::unquoteParameter(unquoted);
    EXPECT_EQ(unquoted.size(), 666'667u);
    EXPECT_EQ(unquoted.back(), L'x');
    EXPECT_EQ(jlaunch::splitVmParameters(letters + L" " + quotes).size(), 2u);
}

TEST(HostileSettings, LongDateTimePicturesGiveANameAtOnce) {
    const jlaunch::LocalTime time{2026, 12, 2, 8, 13, 38, 59, 7};
    // 400,000 letters: one run of hours is one number; letters no formatter
    // knows, or milliseconds, are too long to fit, so no picture text.
    for (const auto& [letter, expected] : {std::pair{L'x', L"out_.log"}, {L'L', L"out_.log"}, {L'h', L"out_01.log"}}) {
        std::wstring name = L"out_%" + std::wstring(400'000, letter) + L"%.log";
        jlaunch::expandDateTimePatternInEnglish(name, time);
        EXPECT_EQ(name, expected);
    }
    // Quoted text runs to the end without partner, and is just as long.
    EXPECT_EQ(jlaunch::formatTimePictureInEnglish(L"h'" + std::wstring(300, L'q'), time), L"");
    std::wstring name = L"out_%yyyyMMdd%.log";
    jlaunch::expandDateTimePatternInEnglish(name, time);
    EXPECT_EQ(name, L"out_20261208.log");
}

}  // namespace
