// Settings held as INI text in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ini_text.h"

namespace {

using jlaunch::EmbeddedSettings;
using jlaunch::parseIniText;

std::wstring valueOf(const EmbeddedSettings& settings, const std::wstring& section, const std::wstring& key) {
    std::wstring value = L"<missing>";
    settings.lookup(section, key, value);
    return value;
}

TEST(IniText, SectionsAndPairsInFileOrder) {
    const EmbeddedSettings settings = parseIniText(
        L"\uFEFF[Product Information]\r\nProduct Name = My App \r\n\r\n  [ Spaced ]\r\n\tKey\t=\tv = w\t\r\n"
        L"[Product Information]\r\nProduct Name=Second\r\nUpgrade Code=U\r\n\x01\t[Controls]\x02 \r\nK=1");
    ASSERT_EQ(settings.sections().size(), 4u);
    EXPECT_EQ(valueOf(settings, L"Product Information", L"Product Name"), L"My App");
    EXPECT_EQ(valueOf(settings, L" Spaced ", L"Key"), L"v = w");
    EXPECT_EQ(valueOf(settings, L"Spaced", L"Key"), L"<missing>");
    EXPECT_EQ(valueOf(settings, L"Controls", L"K"), L"1");
    // Names are exact, and a second section of a name is never consulted.
    EXPECT_EQ(valueOf(settings, L"product information", L"Product Name"), L"<missing>");
    EXPECT_EQ(valueOf(settings, L"Product Information", L"product name"), L"<missing>");
    EXPECT_EQ(valueOf(settings, L"Product Information", L"Upgrade Code"), L"<missing>");
    EXPECT_EQ(settings.sections()[2].pairs.size(), 2u);
}

TEST(IniText, LinesThatAreNeitherHeadersNorPairs) {
    const EmbeddedSettings settings = parseIniText(
        L"orphan=1\r\n[S]\r\nno equals here\r\n;comment=yes\r\n=empty key\r\nempty=\r\n[broken\r\n"
        L"[x] ; note\r\nafter=2\r\n[y]=z\r\n[]\r\nin unnamed=3");
    ASSERT_EQ(settings.sections().size(), 2u);
    const auto& pairs = settings.sections()[0].pairs;
    using Pair = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(pairs,
              (std::vector<Pair>{
                  {L";comment", L"yes"}, {L"", L"empty key"}, {L"empty", L""}, {L"after", L"2"}, {L"[y]", L"z"}}));
    EXPECT_EQ(settings.sections()[1].name, L"");
    EXPECT_EQ(valueOf(settings, L"", L"in unnamed"), L"3");
}

TEST(IniText, OnlyCarriageReturnLineFeedEndsALine) {
    const EmbeddedSettings settings = parseIniText(L"[S]\r\nA=1\nB=2\r\nC=3\rD=4\r\n\uFEFFE=5");
    EXPECT_EQ(valueOf(settings, L"S", L"A"), L"1\nB=2");
    EXPECT_EQ(valueOf(settings, L"S", L"B"), L"<missing>");
    EXPECT_EQ(valueOf(settings, L"S", L"C"), L"3\rD=4");
    // The byte-order mark is only dropped at the start of the text.
    EXPECT_EQ(valueOf(settings, L"S", L"\uFEFFE"), L"5");
    // Without any carriage return and line feed the whole text is one line.
    EXPECT_TRUE(parseIniText(L"[S]\nA=1\nB=2").empty());
    const EmbeddedSettings oneLine = parseIniText(L"[S]\nA=1\n[T]");
    ASSERT_EQ(oneLine.sections().size(), 1u);
    EXPECT_EQ(oneLine.sections()[0].name, L"S]\nA=1\n[T");
    EXPECT_TRUE(parseIniText(L"").empty());
    EXPECT_TRUE(parseIniText(L"\uFEFF").empty());
    EXPECT_TRUE(parseIniText(L"key=value\r\n").empty());
}

TEST(IniText, LongAndOddTextParsesWithoutHarm) {
    const std::wstring big(1u << 20, L'v');
    EXPECT_EQ(valueOf(parseIniText(L"[S]\r\nK=" + big), L"S", L"K"), big);
    std::wstring odd = L"[";
    for (wchar_t c = 0; c < 0x300; ++c) odd.push_back(c);
    odd += L"]\r\n\r\n\r\n=\r\n[\r\n]\r\n[[]]\r\n";
    odd += std::wstring(L"\0=\0", 3);
    const EmbeddedSettings settings = parseIniText(odd);
    EXPECT_FALSE(settings.empty());
    EXPECT_EQ(settings.sections().back().name, L"[]");
}

TEST(EmbeddedSettings, LookupTakesTheFirstSectionAndPairOfAName) {
    const EmbeddedSettings settings = parseIniText(L"[A]\r\nk=1\r\nk=3\r\n[B]\r\n[A]\r\nk=2\r\nn=4");
    std::wstring value = L"unchanged";
    EXPECT_FALSE(settings.lookup(L"A", L"missing", value));
    EXPECT_FALSE(settings.lookup(L"a", L"k", value));
    EXPECT_FALSE(settings.lookup(L"C", L"k", value));
    EXPECT_FALSE(settings.lookup(L"A", L"n", value));  // the second section "A" is never consulted
    EXPECT_EQ(value, L"unchanged");
    EXPECT_TRUE(settings.lookup(L"A", L"k", value));
    EXPECT_EQ(value, L"1");
}

}  // namespace
