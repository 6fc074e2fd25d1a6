#include <gtest/gtest.h>

#include "common/java_version.h"

namespace {

using jlaunch::JavaVersion;

JavaVersion parsed(std::wstring_view text, std::int32_t filler = 0, bool expectOk = true) {
    JavaVersion v;
    EXPECT_EQ(jlaunch::parseJavaVersion(text, filler, v), expectOk) << std::string(text.begin(), text.end());
    return v;
}

TEST(JavaVersion, ParsesVendorForms) {
    EXPECT_EQ(parsed(L"1.8.0_301"), (JavaVersion{{1, 8, 0, 301}}));
    EXPECT_EQ(parsed(L"jdk-17.0.2+8"), (JavaVersion{{17, 0, 2, 8}}));
    EXPECT_EQ(parsed(L"1.7"), (JavaVersion{{1, 7, 0, 0}}));
    EXPECT_EQ(parsed(L"1.7", 65535), (JavaVersion{{1, 7, 65535, 65535}}));
    EXPECT_EQ(parsed(L"1.2.3.4.5"), (JavaVersion{{1, 2, 3, 4}}));
    EXPECT_EQ(parsed(L"2147483647"), (JavaVersion{{2147483647, 0, 0, 0}}));
}

TEST(JavaVersion, FailuresGiveZero) {
    EXPECT_EQ(parsed(L"", 65535, false), JavaVersion{});
    EXPECT_EQ(parsed(L"latest", 65535, false), JavaVersion{});
    EXPECT_EQ(parsed(L"2147483648", 0, false), JavaVersion{});
    EXPECT_EQ(parsed(L"1.99999999999", 0, false), JavaVersion{});
}

TEST(JavaVersion, FormatsWithoutTrailingFillers) {
    EXPECT_EQ(jlaunch::formatJavaVersion({{1, 8, 0, 0}}), L"1.8");
    EXPECT_EQ(jlaunch::formatJavaVersion({{1, 0, 0, 0}}), L"1.0");
    EXPECT_EQ(jlaunch::formatJavaVersion({{17, 0, 2, 0}}), L"17.0.2");
    EXPECT_EQ(jlaunch::formatJavaVersion({{1, 8, 0, 301}}), L"1.8.0.301");
    EXPECT_EQ(jlaunch::formatJavaVersion({{1, 8, 65535, 65535}}), L"1.8");
    EXPECT_EQ(jlaunch::formatJavaVersion({{0, 0, 0, 0}}), L"0.0.0.0");
    EXPECT_EQ(jlaunch::formatJavaVersion({{1, 65535, 3, 0}}), L"1.65535.3");
}

TEST(JavaVersion, ComparesComponentBySignedComponent) {
    EXPECT_EQ(jlaunch::compareJavaVersions({{1, 8, 0, 401}}, {{1, 8, 65535, 65535}}), -1);
    EXPECT_EQ(jlaunch::compareJavaVersions({{1, 9, 0, 0}}, {{1, 8, 65535, 65535}}), 1);
    EXPECT_EQ(jlaunch::compareJavaVersions({{11, 0, 2, 0}}, {{11, 0, 2, 0}}), 0);
    EXPECT_EQ(jlaunch::compareJavaVersions({{-1, 0, 0, 0}}, {{0, 0, 0, 0}}), -1);
}

TEST(JavaVersion, RangePhraseInEnglish) {
    const JavaVersion none{};
    const JavaVersion all{{65535, 65535, 65535, 65535}};
    EXPECT_EQ(jlaunch::describeVersionRange(none, all), L"latest version");
    EXPECT_EQ(jlaunch::describeVersionRange(none, none), L"latest version");
    EXPECT_EQ(jlaunch::describeVersionRange(none, {{1, 8, 65535, 65535}}), L"maximum version 1.8");
    EXPECT_EQ(jlaunch::describeVersionRange({{11, 0, 0, 0}}, all), L"minimum version 11.0");
    EXPECT_EQ(jlaunch::describeVersionRange({{1, 8, 0, 0}}, {{1, 8, 0, 0}}), L"version 1.8 is required");
    EXPECT_EQ(jlaunch::describeVersionRange({{1, 8, 0, 0}}, {{1, 8, 65535, 65535}}), L"version between 1.8 and 1.8");
}

}  // namespace
