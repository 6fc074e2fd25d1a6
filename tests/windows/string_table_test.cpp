// The exe's string tables and the Linux table come from one source; this
// checks that windres compiled every text of every language unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/text.h"
#include "message_texts.h"

namespace {

std::map<unsigned, std::wstring> expectedTexts(LANGID language) {
    return jlaunch::test::messageTexts(language);
}

class ThreadLocaleScope {
public:
    explicit ThreadLocaleScope(LANGID language) : saved_(GetThreadLocale()) {
        SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    }
    ~ThreadLocaleScope() { SetThreadLocale(saved_); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    LCID saved_;
};

class StringTable : public ::testing::TestWithParam<LANGID> {};

TEST_P(StringTable, EveryMessageLoadsInTheThreadLanguageExactly) {
    const ThreadLocaleScope scope(GetParam());
    const auto expected = expectedTexts(GetParam());
    ASSERT_EQ(expected.size(), 44u);  // 202 to 230, 232 to 237, 250 to 254, 260 to 262, 270
    for (const auto& [id, text] : expected) {
        std::wstring loaded = L"unchanged";
        ASSERT_TRUE(jlaunch::loadResourceString(id, loaded)) << id;
        EXPECT_EQ(loaded, text) << "message " << id;
    }
}

INSTANTIATE_TEST_SUITE_P(SevenLanguages, StringTable, ::testing::Values(1033, 1031, 1036, 1038, 1040, 2070, 3082));

TEST(StringTable, MissingIdLeavesTargetUnchanged) {
    std::wstring target = L"kept";
    EXPECT_FALSE(jlaunch::loadResourceString(201, target));
    EXPECT_FALSE(jlaunch::loadResourceString(231, target));
    EXPECT_FALSE(jlaunch::loadResourceString(0, target));
    EXPECT_EQ(target, L"kept");
}

TEST(StringTable, OtherCountryOfAShippedLanguageGetsThatLanguage) {
    const ThreadLocaleScope scope(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_AUSTRIAN));
    std::wstring text;
    ASSERT_TRUE(jlaunch::loadResourceString(210, text));
    EXPECT_EQ(text, L"Main class in der INI-Datei nicht spezifiziert.");
}

TEST(StringTable, UnshippedLanguageFallsBackToEnglish) {
    const ThreadLocaleScope scope(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    std::wstring text;
    ASSERT_TRUE(jlaunch::loadResourceString(210, text));
    EXPECT_EQ(text, L"Main class was not specified in INI file.");
}

}  // namespace
