// The tokenizers and the parses of the launcher settings.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/split.h"
#include "settings/launcher_settings.h"

namespace {

using jlaunch::JavaVersion;
using jlaunch::JvmSourcePolicy;
using jlaunch::JvmType;
using jlaunch::VmProviderPolicy;
using List = std::vector<std::wstring>;

TEST(SplitArguments, QuotesSpacesAndEnds) {
    const std::vector<std::pair<std::wstring, List>> cases = {
        {L"\"/opt/My App/tool\"  -a \"b c\"d", {L"/opt/My App/tool", L"-a", L"b c", L"d"}},
        {L"", {}},
        {L"prog", {L"prog"}},
        {L"prog \"\"", {L"prog", L""}},
        {L"prog \"", {L"prog", L""}},
        {L"prog \"unterminated text", {L"prog", L"unterminated text"}},
        {L"a\tb   c  ", {L"a\tb", L"c"}},
        {L"a\"b c\"", {L"a\"b", L"c\""}},
        {L"\"a\"\"b\" \"\"\"\"", {L"a", L"b", L"", L""}},
        {L"C:\\dir\\ \"x\\\"y\"", {L"C:\\dir\\", L"x\\", L"y\""}},
        // README's examples: a quoted folder keeps its last backslash; the C runtime's \" escapes nothing.
        {L"app \"C:\\My Folder\\\"", {L"app", L"C:\\My Folder\\"}},
        {L"app \"say \\\"hi\\\"\"", {L"app", L"say \\", L"hi\\\"\""}},
        {L"-Dname=\"\u00E9t\u00E9 \U0001F600\"", {L"-Dname=\"\u00E9t\u00E9", L"\U0001F600\""}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(jlaunch::splitArguments(text), expected) << testing::PrintToString(text);
    }
    const std::wstring huge(1u << 20, L'x');
    EXPECT_EQ(jlaunch::splitArguments(L"\"" + huge + L"\" " + huge), (List{huge, huge}));
}

TEST(SplitList, EmptyPiecesKeptButNotTheLast) {
    EXPECT_EQ(jlaunch::splitList(L"11;;1.8;", L";"), (List{L"11", L"", L"1.8"}));
    EXPECT_EQ(jlaunch::splitList(L"", L";"), List{});
    EXPECT_EQ(jlaunch::splitList(L"1.8", L";"), List{L"1.8"});
    EXPECT_EQ(jlaunch::splitList(L";", L";"), List{L""});
    EXPECT_EQ(jlaunch::splitList(L";;", L";"), (List{L"", L""}));
    EXPECT_EQ(jlaunch::splitList(L" a ; b ", L";"), (List{L" a ", L" b "}));
    EXPECT_EQ(jlaunch::splitList(L"a::b:::c::", L"::"), (List{L"a", L"b", L":c"}));
    EXPECT_EQ(jlaunch::splitList(L"a;b", L""), List{L"a;b"});
}

TEST(LauncherSettings, VersionBounds) {
    EXPECT_EQ(jlaunch::parseMinimumVersion(L"any"), JavaVersion{});
    EXPECT_EQ(jlaunch::parseMinimumVersion(L"1.8"), (JavaVersion{{1, 8, 0, 0}}));
    EXPECT_EQ(jlaunch::parseMinimumVersion(L""), JavaVersion{});
    EXPECT_EQ(jlaunch::parseMinimumVersion(L"ANY"), JavaVersion{});
    EXPECT_EQ(jlaunch::parseMaximumVersion(L"any"), (JavaVersion{{65535, 65535, 65535, 65535}}));
    // "any" in any letter case: a maximum of 0.0.0.0 would accept no Java at all.
    EXPECT_EQ(jlaunch::parseMaximumVersion(L"Any"), (JavaVersion{{65535, 65535, 65535, 65535}}));
    // No maximum is no upper bound; a maximum without any digit stays 0.0.0.0.
    EXPECT_EQ(jlaunch::parseMaximumVersion(L""), (JavaVersion{{65535, 65535, 65535, 65535}}));
    EXPECT_EQ(jlaunch::parseMaximumVersion(L"latest"), JavaVersion{});
    EXPECT_EQ(jlaunch::parseMaximumVersion(L"11"), (JavaVersion{{11, 65535, 65535, 65535}}));
    EXPECT_EQ(jlaunch::parseMaximumVersion(L"99999999999"), JavaVersion{});
    // A maximum of 1.8 holds every 1.8 update, and nothing of 1.9.
    const JavaVersion maximum = jlaunch::parseMaximumVersion(L"1.8");
    EXPECT_LT(jlaunch::compareJavaVersions({{1, 8, 0, 401}}, maximum), 0);
    EXPECT_GT(jlaunch::compareJavaVersions({{1, 9, 0, 0}}, maximum), 0);
    EXPECT_EQ(jlaunch::describeVersionRange(jlaunch::parseMinimumVersion(L"1.8"), maximum),
              L"version between 1.8 and 1.8");
}

TEST(LauncherSettings, JvmTypeAndYesAreExactOrCaseBlind) {
    EXPECT_EQ(jlaunch::parseJvmType(L"server"), JvmType::Server);
    EXPECT_EQ(jlaunch::parseJvmType(L"favor_server"), JvmType::FavorServer);
    for (const wchar_t* other : {L"Server", L"server ", L"", L"client", L"FAVOR_SERVER"}) {
        EXPECT_EQ(jlaunch::parseJvmType(other), JvmType::Default) << testing::PrintToString(std::wstring(other));
    }
    for (const wchar_t* yes : {L"Yes", L"YES", L"yes", L"yES"}) {
        EXPECT_TRUE(jlaunch::parseYes(yes));
    }
    for (const wchar_t* no : {L"", L"Y", L"yes ", L" Yes", L"true", L"1", L"Ye"}) {
        EXPECT_FALSE(jlaunch::parseYes(no)) << testing::PrintToString(std::wstring(no));
    }
}

TEST(LauncherSettings, RestartCodeIsAWholeNumberOtherThanZero) {
    const std::pair<const wchar_t*, std::optional<std::int32_t>> rows[] = {
        {L"3", 3},
        {L" 42 ", 42},
        {L"-1", -1},
        {L"+7", 7},
        {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},
        // A Java int, as System.exit takes it: Windows's unsigned spelling is not one.
        {L"2147483648", {}},
        {L"3221225477", {}},
        {L"4294967295", {}},
        {L"-2147483649", {}},
        {L"-0", {}},
        {L"+", {}},
        {L"0", {}},
        {L"", {}},
        {L"-", {}},
        {L"3a", {}},
        {L"0x10", {}},
    };
    for (const auto& [text, code] : rows) {
        EXPECT_EQ(jlaunch::parseRestartCode(text), code) << testing::PrintToString(std::wstring(text));
    }
}

TEST(LauncherSettings, JvmSourceRows) {
    const std::vector<std::pair<std::wstring, JvmSourcePolicy>> rows = {
        {L"", {true, true, true}},
        {L"favor_JRE", {true, false, true}},
        {L"favor_JDK", {true, true, false}},
        {L"only_JDK", {false, true, false}},
        {L"only_JRE", {false, false, true}},
        {L"FAVOR_JRE", {false, false, false}},
        {L"only_jdk", {false, false, false}},
        {L"any", {false, false, false}},
        {L" only_JDK", {false, false, false}},
    };
    for (const auto& [value, policy] : rows) {
        EXPECT_EQ(jlaunch::parseJvmSource(value), policy) << testing::PrintToString(value);
    }
}

TEST(LauncherSettings, VmProviderRowsIgnoringCase) {
    const VmProviderPolicy defaults{false, false, true, true, false, false};
    const std::vector<std::pair<std::wstring, VmProviderPolicy>> rows = {
        {L"", defaults},
        {L"jrockit", {true, true, false, false, false, false}},
        {L"ibm", {false, false, false, false, true, true}},
        {L"IBM", {false, false, false, false, true, true}},
        {L"favor_sun", {true, false, true, true, true, false}},
        {L"Favor_Sun", {true, false, true, true, true, false}},
        {L"favor_jrockit", {true, true, true, false, true, false}},
        {L"FAVOR_JROCKIT", {true, true, true, false, true, false}},
        {L"favor_ibm", {true, false, true, false, true, true}},
        {L"any", {true, false, true, false, true, false}},
        {L"ANY", {true, false, true, false, true, false}},
        {L"sun", defaults},
        {L" ibm", defaults},
        {L"ibm;any", defaults},
    };
    EXPECT_EQ(VmProviderPolicy{}, defaults);
    for (const auto& [value, policy] : rows) {
        EXPECT_EQ(jlaunch::parseVmProvider(value), policy) << testing::PrintToString(value);
    }
}

TEST(LauncherSettings, RelativeJrePathIsTakenFromTheExecutablesFolder) {
    const std::wstring executable = L"/opt/app/bin/launcher";
    EXPECT_EQ(jlaunch::resolveJrePath(L"jre", executable), L"/opt/app/bin/jre");
    EXPECT_EQ(jlaunch::resolveJrePath(L"j", executable), L"/opt/app/bin/j");
    EXPECT_EQ(jlaunch::resolveJrePath(L"../jre/", executable), L"/opt/app/bin/../jre/");
    EXPECT_EQ(jlaunch::resolveJrePath(L"/usr/lib/jvm/java-17", executable), L"/usr/lib/jvm/java-17");
    EXPECT_EQ(jlaunch::resolveJrePath(L"/", executable), L"/");
    EXPECT_EQ(jlaunch::resolveJrePath(L"", executable), L"");
}

}  // namespace
