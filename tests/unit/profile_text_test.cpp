// The Linux build's INI reader and writer. tests/wine/ini_differential.sh checks
// the reader against Windows over a corpus; these tests pin its rules one by
// one, and check the writer, which must find entries exactly as the reader does.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "settings/profile_text.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace {

using jlaunch::ProfileText;
using jlaunch::setProfileValue;

std::wstring valueIn(std::wstring_view text, std::wstring_view section, std::wstring_view key) {
    return ProfileText::parse(std::wstring(text)).value(section, key);
}

std::vector<std::wstring> sectionsIn(std::wstring_view text) {
    return ProfileText::parse(std::wstring(text)).sectionNames();
}

TEST(ProfileTextRead, NamesIgnoreTheCaseOfAsciiLettersOnly) {
    const std::wstring text = L"[Main]\nKey=v\n[\u00C9t\u00E9]\n\u00DCber=u\n";
    EXPECT_EQ(valueIn(text, L"MAIN", L"kEY"), L"v");
    EXPECT_EQ(valueIn(text, L"main", L"key"), L"v");
    EXPECT_EQ(valueIn(text, L"\u00C9T\u00E9", L"\u00DCBER"), L"u");
    EXPECT_EQ(valueIn(text, L"\u00C9T\u00C9", L"\u00DCber"), L"");
    EXPECT_EQ(valueIn(text, L"\u00E9t\u00E9", L"\u00DCber"), L"");
    EXPECT_EQ(valueIn(text, L"\u00C9t\u00E9", L"\u00FCber"), L"");
}

TEST(ProfileTextRead, FirstKeyAndFirstSectionOfANameWin) {
    const std::wstring text = L"[S]\nk=1\nK=2\n[T]\nx=t\n[s]\nk=3\nlater=4\n";
    EXPECT_EQ(valueIn(text, L"S", L"k"), L"1");
    EXPECT_EQ(valueIn(text, L"s", L"later"), L"");
    EXPECT_EQ(valueIn(text, L"T", L"x"), L"t");
    EXPECT_EQ(sectionsIn(text), (std::vector<std::wstring>{L"S", L"T", L"s"}));
}

TEST(ProfileTextRead, BlanksAroundNamesAndValuesGoOthersStay) {
    const std::wstring text =
        L"  [ S ]  \n \t my key \t = \t my value \v\f\x1A\r\nempty=\nblank= \t\n\u00A0nb=\u00A0x\u00A0\n";
    EXPECT_EQ(valueIn(text, L"S", L"my key"), L"my value");
    EXPECT_EQ(valueIn(text, L" S\x1A", L"\tmy key "), L"my value");
    EXPECT_EQ(valueIn(text, L"S", L"my  key"), L"");
    EXPECT_EQ(valueIn(text, L"S", L"empty"), L"");
    EXPECT_EQ(valueIn(text, L"S", L"blank"), L"");
    // A no-break space is no blank to Windows.
    EXPECT_EQ(valueIn(text, L"S", L"nb"), L"");
    EXPECT_EQ(valueIn(text, L"S", L"\u00A0nb"), L"\u00A0x\u00A0");
}

TEST(ProfileTextRead, OnePairOfEnclosingQuotesGoes) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"\"a b\"", L"a b"},     {L"'a b'", L"a b"},
        {L"\"\"", L""},           {L"''", L""},
        {L"\"", L"\""},           {L"'", L"'"},
        {L"\"a'", L"\"a'"},       {L"\"a", L"\"a"},
        {L"a\"", L"a\""},         {L"\"\"a\"\"", L"\"a\""},
        {L"a\"b\"c", L"a\"b\"c"}, {L"  \" a \"  ", L" a "},
        {L"'\"a\"'", L"\"a\""},   {L"\"\"\"", L"\""},
    };
    for (const auto& [raw, expected] : cases) {
        EXPECT_EQ(valueIn(L"[S]\nk=" + raw + L"\n", L"S", L"k"), expected)
            << "k=" << std::string(raw.begin(), raw.end());
    }
}

TEST(ProfileTextRead, KeyLinesOfEveryForm) {
    const std::wstring text = L"[S]\nlonely\nk=a=b\n=nameless\n;c=semicolon\n#h=hash\nk2 == x\n";
    EXPECT_EQ(valueIn(text, L"S", L"lonely"), L"");
    EXPECT_EQ(valueIn(text, L"S", L"k"), L"a=b");
    EXPECT_EQ(valueIn(text, L"S", L""), L"nameless");
    // Windows has no comment lines: these are keys like any other.
    EXPECT_EQ(valueIn(text, L"S", L";c"), L"semicolon");
    EXPECT_EQ(valueIn(text, L"S", L"#h"), L"hash");
    EXPECT_EQ(valueIn(text, L"S", L"k2"), L"= x");
}

TEST(ProfileTextRead, PairsAboveTheFirstHeaderHaveNoSectionName) {
    const std::wstring text = L"k=top\n[]\nk=empty header\n[S]\nk=s\n";
    EXPECT_EQ(valueIn(text, L"", L"k"), L"top");
    EXPECT_EQ(valueIn(text, L"S", L"k"), L"s");
    EXPECT_EQ(sectionsIn(text), (std::vector<std::wstring>{L"", L"S"}));
    EXPECT_EQ(valueIn(L"[S]\nk=s\n", L"", L"k"), L"");
}

TEST(ProfileTextRead, HeaderForms) {
    const std::wstring text = L"[A]b]\nk=1\n[Open\nk2=2\n[T] trailing\nk=3\n[ \tIn ner\x1A ]\nk=4\n[\nx\n";
    EXPECT_EQ(valueIn(text, L"A]b", L"k"), L"1");
    // A line without "]" is a key line, so its keys stay in the section above.
    EXPECT_EQ(valueIn(text, L"A]b", L"k2"), L"2");
    EXPECT_EQ(valueIn(text, L"Open", L"k2"), L"");
    EXPECT_EQ(valueIn(text, L"T", L"k"), L"3");
    EXPECT_EQ(valueIn(text, L"In ner", L"k"), L"4");
    EXPECT_EQ(sectionsIn(text), (std::vector<std::wstring>{L"A]b", L"T", L"In ner"}));
}

TEST(ProfileTextRead, LinesEndAtEveryCrOrLf) {
    for (const std::wstring text : {L"[S]\r\nk=1\r\nj=2\r\n", L"[S]\nk=1\nj=2", L"[S]\rk=1\rj=2\r",
                                    L"[S]\nk=1\rj=2\r\n", L"[S]\r\r\nk=1\n\n\rj=2"}) {
        EXPECT_EQ(valueIn(text, L"S", L"k"), L"1");
        EXPECT_EQ(valueIn(text, L"S", L"j"), L"2");
    }
}

TEST(ProfileTextRead, NulEndsNamesValuesAndQueries) {
    static constexpr wchar_t kText[] = L"[S\0x]\nk\0y=v\nw=a\0b\nq=\"a\0\"\nt=b \0 \n[ N \0x]\nk=n\n";
    const std::wstring_view text(kText, std::size(kText) - 1);
    EXPECT_EQ(valueIn(text, L"S", L"k"), L"v");
    EXPECT_EQ(valueIn(text, L"S", L"w"), L"a");
    EXPECT_EQ(valueIn(text, L"S", L"q"), L"\"a");
    EXPECT_EQ(valueIn(text, L"S", L"t"), L"b ");
    EXPECT_EQ(valueIn(text, std::wstring_view(L"S\0junk", 6), std::wstring_view(L"w\0junk", 6)), L"a");
    // Blanks go before the NUL cuts, so this section is named "N ".
    EXPECT_EQ(valueIn(text, L"N", L"k"), L"");
    EXPECT_EQ(sectionsIn(text), (std::vector<std::wstring>{L"S", L"N "}));
}

TEST(ProfileBytes, ByteOrderMarksChooseTheEncoding) {
    using jlaunch::decodeProfileBytes;
    const std::wstring expected = L"a\u00E9\U0001F600";
    EXPECT_EQ(decodeProfileBytes("\xEF\xBB\xBF"
                                 "a\xC3\xA9\xF0\x9F\x98\x80"),
              expected);
    EXPECT_EQ(decodeProfileBytes(std::string_view("\xFF\xFE"
                                                  "a\0\xE9\0\x3D\xD8\x00\xDE",
                                                  10)),
              expected);
    EXPECT_EQ(decodeProfileBytes(std::string_view("\xFE\xFF"
                                                  "\0a\0\xE9\xD8\x3D\xDE\x00",
                                                  10)),
              expected);
    // Unpaired surrogates stay as they are.
    EXPECT_EQ(decodeProfileBytes(std::string_view("\xFF\xFE\x00\xD8"
                                                  "a\0",
                                                  6)),
              (std::wstring{0xD800, L'a'}));
    EXPECT_EQ(decodeProfileBytes(std::string_view("\xFE\xFF\xDC\x00", 4)), std::wstring(1, 0xDC00));
    // A last odd byte is a character of its own, in either byte order.
    EXPECT_EQ(decodeProfileBytes(std::string_view("\xFF\xFE"
                                                  "a\0b",
                                                  5)),
              L"ab");
    EXPECT_EQ(decodeProfileBytes(std::string_view("\xFE\xFF\0a"
                                                  "b",
                                                  5)),
              L"ab");
    // A mark alone is an empty text, and only the first mark is one.
    EXPECT_EQ(decodeProfileBytes("\xEF\xBB\xBF"), L"");
    EXPECT_EQ(decodeProfileBytes("\xFF\xFE"), L"");
    EXPECT_EQ(decodeProfileBytes("\xEF\xBB\xBF\xEF\xBB\xBFx"), L"\uFEFFx");
}

TEST(ProfileBytes, WithoutAMarkUtf8ElseLatin1) {
    using jlaunch::decodeProfileBytes;
    EXPECT_EQ(decodeProfileBytes("caf\xC3\xA9 \xE2\x82\xAC"), L"caf\u00E9 \u20AC");
    EXPECT_EQ(decodeProfileBytes(std::string_view("k\0=v", 4)), std::wstring(L"k\0=v", 4));
    // One byte that is not UTF-8 makes the whole file Latin-1.
    EXPECT_EQ(decodeProfileBytes("caf\xC3\xA9 \xE9"), L"caf\u00C3\u00A9 \u00E9");
    // Encoded surrogates and overlong forms are not UTF-8 either.
    EXPECT_EQ(decodeProfileBytes("\xED\xA0\x80"), L"\u00ED\u00A0\u0080");
    EXPECT_EQ(decodeProfileBytes("\xC0\xAF"), L"\u00C0\u00AF");
    EXPECT_EQ(decodeProfileBytes("\xF4\x90\x80\x80"), L"\u00F4\u0090\u0080\u0080");
}

TEST(ProfileBytes, MalformedUtf8AfterAMarkBecomesOneReplacementPerBadSequence) {
    const std::vector<std::pair<std::string, std::wstring>> cases = {
        {"a\x80"
         "b",
         L"a\uFFFDb"},
        {"a\xFF"
         "b",
         L"a\uFFFDb"},
        {"a\xC3"
         "b",
         L"a\uFFFDb"},
        {"a\xE2\x82"
         "b",
         L"a\uFFFDb"},
        {"a\xF0\x9F\x98"
         "b",
         L"a\uFFFDb"},
        {"a\xE2\x82\xC3\xA9", L"a\uFFFD\u00E9"},
        // The second byte already shows a surrogate or an overlong form.
        {"a\xED\xA0\x80"
         "b",
         L"a\uFFFD\uFFFDb"},
        {"a\xE0\x80\x80"
         "b",
         L"a\uFFFD\uFFFDb"},
        {"a\xC0\xAF"
         "b",
         L"a\uFFFD\uFFFDb"},
        // Past U+10FFFF shows only with the third byte, which is not taken.
        {"a\xF4\x90\x80\x80"
         "b",
         L"a\uFFFD\uFFFD\uFFFDb"},
        {"a\xF8\x88\x80\x80\x80"
         "b",
         L"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDb"},
        // Cut off by the end of the text: the rest goes with it.
        {"a\xF0"
         "A",
         L"a\uFFFD"},
        {"a\xE2\x82", L"a\uFFFD"},
        {"\xEF\xBF\xBE\xF4\x8F\xBF\xBF", L"\uFFFE\U0010FFFF"},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(jlaunch::decodeProfileBytes("\xEF\xBB\xBF" + bytes), expected) << bytes;
    }
}

// What the writer encodes decodes to the same text, in the original's form.
TEST(ProfileBytes, EncodingKeepsTheOriginalsForm) {
    using jlaunch::decodeProfileBytes;
    using jlaunch::encodeProfileText;
    const std::vector<std::string> originals = {
        "",
        "[S]\r\nk=v\r\n",
        "[S]\nk=caf\xC3\xA9 \xF0\x9F\x98\x80\n",
        "[S]\nk=caf\xE9\xA0\n",
        "\xEF\xBB\xBF[S]\nk=\xE2\x82\xAC\n",
        std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0\x3D\xD8\x00\xDE\x00\xD8\xAC\x20", 22),
        std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\xD8\x3D\xDE\x00\xDC\x00\x20\xAC", 22),
    };
    for (const std::string& original : originals) {
        const std::wstring text = decodeProfileBytes(original);
        const std::string encoded = encodeProfileText(text, original);
        EXPECT_EQ(encoded, original) << original;
        const std::wstring edited = setProfileValue(text, L"S", L"new", L"\u00FC\U0001F600");
        EXPECT_EQ(decodeProfileBytes(encodeProfileText(edited, original)), edited) << original;
    }
    // UTF-16 in the original's byte order, a pair for characters past U+FFFF.
    EXPECT_EQ(encodeProfileText(L"a\u20AC\U0001F600", "\xFF\xFE"), std::string("\xFF\xFE"
                                                                               "a\0\xAC\x20\x3D\xD8\x00\xDE",
                                                                               10));
    EXPECT_EQ(encodeProfileText(L"a\u20AC\U0001F600", "\xFE\xFF"),
              std::string("\xFE\xFF\0a\x20\xAC\xD8\x3D\xDE\x00", 10));
    // Latin-1 stays Latin-1 while the text fits; otherwise, and without a
    // mark, the file becomes UTF-8.
    EXPECT_EQ(encodeProfileText(L"\u00E9\u00FF", "\xE9"), "\xE9\xFF");
    EXPECT_EQ(encodeProfileText(L"\u00E9\u20AC", "\xE9"), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(encodeProfileText(L"\u00E9", "ascii"), "\xC3\xA9");
    EXPECT_EQ(encodeProfileText(L"\u00E9", ""), "\xC3\xA9");
    // UTF-8 has no form for an unpaired surrogate.
    EXPECT_EQ(encodeProfileText(std::wstring{L'a', 0xD800, L'b'}, "\xEF\xBB\xBF"),
              "\xEF\xBB\xBF"
              "a\xEF\xBF\xBD"
              "b");
}

TEST(ProfileWrite, ReplacesTheKeysLineAndKeepsEveryOtherLine) {
    EXPECT_EQ(setProfileValue(L"; top\r\n[S]\r\n  K = old ; x\r\nother=1\r\n\r\n[T]\r\nk=t\r\n", L"s", L"k", L"new"),
              L"; top\r\n[S]\r\nk=new\r\nother=1\r\n\r\n[T]\r\nk=t\r\n");
    // The first of duplicated keys, in the first section of the name.
    EXPECT_EQ(setProfileValue(L"[S]\nk=1\nk=2\n[s]\nk=3\n", L"S", L"k", L"x"), L"[S]\nk=x\nk=2\n[s]\nk=3\n");
    EXPECT_EQ(setProfileValue(L"[S]\nk=1", L"S", L"k", L"x"), L"[S]\nk=x");
    EXPECT_EQ(setProfileValue(L"[S]\rk=1\rj=2\r", L"S", L"k", L"x"), L"[S]\rk=x\rj=2\r");
    EXPECT_EQ(setProfileValue(L"[S]\nk=1\rj=2\n", L"S", L"k", L"x"), L"[S]\nk=x\rj=2\n");
    EXPECT_EQ(setProfileValue(L"[S]\nlonely\n", L"S", L"lonely", L"x"), L"[S]\nlonely=x\n");
    EXPECT_EQ(setProfileValue(std::wstring_view(L"[S]\nk\0junk=1\n", 13), L"S", L"k", L"x"), L"[S]\nk=x\n");
    EXPECT_EQ(setProfileValue(L"top=1\n[S]\ntop=2\n", L"", L"top", L"x"), L"top=x\n[S]\ntop=2\n");
    // The new name is written as given, trimmed.
    EXPECT_EQ(setProfileValue(L"[S]\nKEY=1\n", L" S ", L" Key\t", L" v "), L"[S]\nKey= v \n");
}

TEST(ProfileWrite, AddsAMissingKeyAfterTheLastNonBlankLineOfItsSection) {
    EXPECT_EQ(setProfileValue(L"[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", L"S", L"k", L"v"),
              L"[S]\r\na=1\r\nk=v\r\n\r\n[T]\r\nb=2\r\n");
    EXPECT_EQ(setProfileValue(L"[S]\n[T]\n", L"S", L"k", L"v"), L"[S]\nk=v\n[T]\n");
    EXPECT_EQ(setProfileValue(L"[S]\na=1", L"S", L"k", L"v"), L"[S]\na=1\nk=v\n");
    EXPECT_EQ(setProfileValue(L"[S]", L"S", L"k", L"v"), L"[S]\nk=v\n");
    EXPECT_EQ(setProfileValue(L" [ s ] trailing\rx=1\r\r", L"S", L"k", L"v"), L" [ s ] trailing\rx=1\rk=v\r\r");
    // The key is missing from the first section of the name, so it goes there.
    EXPECT_EQ(setProfileValue(L"[S]\na=1\n[S]\nk=old\n", L"S", L"k", L"v"), L"[S]\na=1\nk=v\n[S]\nk=old\n");
    // A key line in another section or above the first header is no match.
    EXPECT_EQ(setProfileValue(L"k=top\n[T]\nk=t\n[S]\n", L"S", L"k", L"v"), L"k=top\n[T]\nk=t\n[S]\nk=v\n");
    EXPECT_EQ(setProfileValue(L"top=1\n\n[S]\n", L"", L"k", L"v"), L"top=1\nk=v\n\n[S]\n");
    EXPECT_EQ(setProfileValue(L"[S]\n", L"", L"k", L"v"), L"k=v\n[S]\n");
}

TEST(ProfileWrite, AppendsAMissingSectionEndingLinesLikeTheText) {
    EXPECT_EQ(setProfileValue(L"", L"S", L"k", L"v"), L"[S]\nk=v\n");
    EXPECT_EQ(setProfileValue(L"[A]\r\na=1\r\n", L"S", L"k", L"v"), L"[A]\r\na=1\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(setProfileValue(L"[A]\na=1\r\n", L"S", L"k", L"v"), L"[A]\na=1\r\n[S]\nk=v\n");
    EXPECT_EQ(setProfileValue(L"[A]\ra=1\r", L"S", L"k", L"v"), L"[A]\ra=1\r[S]\rk=v\r");
    EXPECT_EQ(setProfileValue(L"[A]\r\na=1", L"S", L"k", L"v"), L"[A]\r\na=1\r\n[S]\r\nk=v\r\n");
    EXPECT_EQ(setProfileValue(L"[A]\n", L" S\t", L"k", L"v"), L"[A]\n[S]\nk=v\n");
    // "[Open" is no header, so section Open is still missing.
    EXPECT_EQ(setProfileValue(L"[Open\nk=1\n", L"Open", L"k", L"v"), L"[Open\nk=1\n[Open]\nk=v\n");
}

std::wstring trimmed(std::wstring_view name) {
    const auto first = name.find_first_not_of(L" \t\x1A");
    return first == std::wstring_view::npos
               ? L""
               : std::wstring(name.substr(first, name.find_last_not_of(L" \t\x1A") - first + 1));
}

// Setting any entry of any text makes it read back, and leaves every other
// entry and the section list as they were.
TEST(ProfileWrite, WhatIsWrittenReadsBackAndNothingElseChanges) {
    const std::vector<std::wstring> texts = {
        L"",
        L"top=1\r\n[Main]\r\nk=1\r\nK=2\r\n\r\n[Other]\r\nk=o\r\n[MAIN]\r\nlate=l\r\n",
        L"  [ Main ] x\n\tk = \"q\" \n;c=1\n\n\n[Other]\nk\n",
        L"[Main]\rk=1\r[Other]\rj=2",
        L"[Open\nk=1\n[Main]\nj=2\n[]\nk=e\n",
        std::wstring(L"[Ma\0in]\nk\0x=1\n[Other]\n", 23),
    };
    struct Entry {
        std::wstring section, key;
        std::vector<std::pair<std::wstring, std::wstring>> spellings;
    };
    const std::vector<Entry> entries = {
        {L"Main", L"k", {{L"Main", L"k"}, {L"MAIN", L"K"}, {L" main\t", L"\x1Ak "}}},
        {L"Main", L"late", {{L"main", L"late"}}},
        {L"Main", L"j", {{L"Main", L"j"}}},
        {L"Other", L"k", {{L"other", L"k"}}},
        {L"Other", L";c", {{L"Other", L";c"}}},
        {L"", L"top", {{L"", L"top"}, {L" ", L"TOP"}}},
        {L"", L"k", {{L"", L"k"}}},
        {L"New", L"k", {{L"new", L"k"}}},
        {L"\u00C9t\u00E9", L"k", {{L"\u00C9t\u00E9", L"k"}}},
        {L"\u00E9t\u00E9", L"k", {{L"\u00E9t\u00E9", L"k"}}},
    };
    for (const std::wstring& text : texts) {
        const ProfileText before = ProfileText::parse(text);
        for (const Entry& entry : entries) {
            for (const auto& [section, key] : entry.spellings) {
                const std::wstring edited = setProfileValue(text, section, key, L"new value");
                const ProfileText after = ProfileText::parse(edited);
                const std::string where = "setting [" + std::string(section.begin(), section.end()) + "] " +
                                          std::string(key.begin(), key.end()) + " in:\n" +
                                          std::string(text.begin(), text.end());
                EXPECT_EQ(after.value(entry.section, entry.key), L"new value") << where;
                for (const Entry& other : entries) {
                    if (&other != &entry) {
                        EXPECT_EQ(after.value(other.section, other.key), before.value(other.section, other.key))
                            << where << "\nchanged [" << std::string(other.section.begin(), other.section.end()) << "] "
                            << std::string(other.key.begin(), other.key.end());
                    }
                }
                // A section is appended only when missing, under the name as given.
                std::vector<std::wstring> grown = before.sectionNames();
                grown.push_back(trimmed(section));
                EXPECT_TRUE(after.sectionNames() == before.sectionNames() || after.sectionNames() == grown) << where;
                // Setting the same value again changes nothing.
                EXPECT_EQ(setProfileValue(edited, section, key, L"new value"), edited) << where;
            }
        }
    }
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// writeProfileString puts the edited text back in the file's own form.
TEST(ProfileWriteFile, KeepsTheMarkAndTheLineEnds) {
    const jlaunch::testing::TestFolder folder;
    const auto bom = folder.write("bom.ini", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\n");
    jlaunch::writeProfileString(bom.wstring(), L"S", L"j", L"\u00FC");
    EXPECT_EQ(fileBytes(bom), "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\nj=\xC3\xBC\r\n");
    jlaunch::writeProfileString(bom.wstring(), L"s", L"K", L"x");
    EXPECT_EQ(fileBytes(bom), "\xEF\xBB\xBF[S]\r\nK=x\r\nj=\xC3\xBC\r\n");

    const auto plain = folder.write("plain.ini", "; note\n[S]\nk=1\n");
    jlaunch::writeProfileString(plain.wstring(), L"T", L"k", L"2");
    EXPECT_EQ(fileBytes(plain), "; note\n[S]\nk=1\n[T]\nk=2\n");

    const std::wstring fresh = (folder.path() / "fresh.ini").wstring();
    jlaunch::writeProfileString(fresh, L"S", L"k", L"v");
    EXPECT_EQ(fileBytes(folder.path() / "fresh.ini"), "[S]\nk=v\n");
    EXPECT_EQ(jlaunch::readProfileString(fresh, L"s", L"K"), L"v");
}

}  // namespace
