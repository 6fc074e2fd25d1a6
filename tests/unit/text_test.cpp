// Text conversion, message table and formatting on Linux.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cwctype>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/byte_order.h"
#include "common/text.h"
#include "common/utf8_step.h"
#include "test_support.h"

namespace {

using jlaunch::testing::ScopedEnvironment;

using jlaunch::formatText;
using jlaunch::loadResourceString;
using jlaunch::toNarrow;
using jlaunch::toWide;

TEST(FormatText, FillsTextAndNumbersInOrder) {
    EXPECT_EQ(formatText(L"Failed to load Java VM library: %s (errno = %d).", {L"/opt/jre/libjvm.so", -5}),
              L"Failed to load Java VM library: /opt/jre/libjvm.so (errno = -5).");
    // %d reads its number as signed and %u as unsigned, whatever was passed.
    EXPECT_EQ(formatText(L"%d|%u|%u|%d|%d", {std::uint32_t{0xFFFFFFFFu}, std::int32_t{-1}, std::uint32_t{4000000000u},
                                             std::int32_t{-2147483647 - 1}, std::uint32_t{0}}),
              L"-1|4294967295|4000000000|-2147483648|0");
    EXPECT_EQ(formatText(L"100%% of %s%%", {L"\U0001F600"}), L"100% of \U0001F600%");
    // A format is text, not a C string: an embedded NUL does not end it.
    EXPECT_EQ(formatText(std::wstring_view(L"a\0%s", 4), {L"b"}), std::wstring(L"a\0b", 3));
}

TEST(FormatText, MissingExtraAndMismatchedArgumentsPrintNothing) {
    EXPECT_EQ(formatText(L"%s and %s (%d)", {L"one"}), L"one and  ()");
    EXPECT_EQ(formatText(L"plain", {L"unused", 7}), L"plain");
    EXPECT_EQ(formatText(L"[%s][%d][%s]", {3, L"text", L"third"}), L"[][][third]");
    EXPECT_EQ(formatText(L"50% %x %l %", {1}), L"50% %x %l %");
    EXPECT_EQ(formatText(L"", {L"a"}), L"");
}

TEST(FormatText, FormatFromMessageId) {
    ScopedEnvironment environment;
    environment.set("LC_ALL", "C");
    EXPECT_EQ(formatText(202u, {L"failed to get the module path", std::uint32_t{5}}),
              L"Windows exception: failed to get the module path (errno = 5).\n");
    EXPECT_EQ(formatText(221u, {L"1.8", L"11"}), L"version between 1.8 and 11");
    EXPECT_EQ(formatText(217u, {}), L"latest version");
    EXPECT_EQ(formatText(65000u, {L"x"}), L"");
    environment.set("LC_ALL", "de_DE.UTF-8");
    EXPECT_EQ(formatText(220u, {L"11"}), L"Version 11 erforderlich");
}

TEST(TextConversion, Utf8RoundTripIncludingNonBmp) {
    const std::wstring wide = L"Gr\u00FC\u00DFe \u20AC \U0001F600 \u65E5";
    const std::string narrow =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC \xF0\x9F\x98\x80 \xE6\x97\xA5";
    EXPECT_EQ(toNarrow(wide), narrow);
    EXPECT_EQ(toWide(narrow), wide);
    EXPECT_EQ(toWide(narrow.c_str()), wide);
    // Each boundary of the encoding lengths survives the round trip with its length.
    const std::vector<std::pair<char32_t, std::size_t>> boundaries = {
        {0x1, 1},    {0x7F, 1},   {0x80, 2},   {0x7FF, 2},   {0x800, 3},
        {0xD7FF, 3}, {0xE000, 3}, {0xFFFF, 3}, {0x10000, 4}, {0x10FFFF, 4}};
    for (const auto& [code, length] : boundaries) {
        const std::wstring one(1, static_cast<wchar_t>(code));
        EXPECT_EQ(toNarrow(one).size(), length) << std::hex << static_cast<unsigned>(code);
        EXPECT_EQ(toWide(toNarrow(one)), one) << std::hex << static_cast<unsigned>(code);
    }
    EXPECT_EQ(toNarrow(L""), "");
    EXPECT_EQ(toWide(""), L"");
    EXPECT_EQ(toWide(static_cast<const char*>(nullptr)), L"");
}

TEST(TextConversion, InvalidSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(toWide("a\x80z"), L"a\uFFFDz");
    EXPECT_EQ(toWide("\xC3("), L"\uFFFD(");
    EXPECT_EQ(toWide("x\xFFy\xFEz"), L"x\uFFFDy\uFFFDz");
    // Overlong forms, encoded surrogates, values past U+10FFFF and cut sequences:
    // the good text around them is kept and only replacement characters stand in.
    for (const std::string bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF0\x9F\x98"}) {
        const std::wstring wide = toWide("ab" + bad + "cd");
        ASSERT_GE(wide.size(), 5u);
        EXPECT_EQ(wide.substr(0, 2), L"ab");
        EXPECT_EQ(wide.substr(wide.size() - 2), L"cd");
        for (std::size_t i = 2; i + 2 < wide.size(); ++i) {
            EXPECT_EQ(wide[i], L'\uFFFD');
        }
    }
    // Wide text that is not Unicode narrows to the replacement character.
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(toNarrow(std::wstring(1, static_cast<wchar_t>(0xD800))), replacement);
    EXPECT_EQ(toNarrow(std::wstring(1, static_cast<wchar_t>(0x110000))), replacement);
    EXPECT_EQ(toNarrow(std::wstring(1, static_cast<wchar_t>(-1))), replacement);
}

TEST(TextConversion, RandomBytesDecodeToStableUnicode) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<std::size_t>(byte(random) % 40), '\0');
        for (char& b : bytes) b = static_cast<char>(byte(random));
        const std::wstring wide = toWide(bytes);
        for (wchar_t c : wide) {
            ASSERT_TRUE(c >= 0 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF));
        }
        ASSERT_EQ(toWide(toNarrow(wide)), wide);
    }
}

struct Utf8StepCase {
    std::string_view bytes;
    bool valid;
    char32_t code;
    std::size_t length;
};

TEST(Utf8Step, DecodesOneCharacterOrGroupsTheMalformedBytes) {
    const Utf8StepCase cases[] = {
        {"A", true, U'A', 1},
        {"\x7F\x42", true, 0x7F, 1},
        {"\xC2\x80", true, 0x80, 2},
        {"\xDF\xBF", true, 0x7FF, 2},
        {"\xE0\xA0\x80", true, 0x800, 3},
        {"\xED\x9F\xBF", true, 0xD7FF, 3},
        {"\xEE\x80\x80", true, 0xE000, 3},
        {"\xEF\xBF\xBF", true, 0xFFFF, 3},
        {"\xF0\x90\x80\x80", true, 0x10000, 4},
        {"\xF4\x8F\xBF\xBFx", true, 0x10FFFF, 4},
        // Lead bytes that start nothing, and a lone trail byte.
        {"\x80\x41", false, 0, 1},
        {"\xC0\xAF", false, 0, 1},
        {"\xC1\xBF", false, 0, 1},
        {"\xF5\x80\x80\x80", false, 0, 1},
        {"\xFF", false, 0, 1},
        // Overlong forms are known at the first trail byte, which they take.
        {"\xE0\x9F\xBF", false, 0, 2},
        {"\xF0\x8F\xBF\xBF", false, 0, 2},
        // Surrogates, likewise.
        {"\xED\xA0\x80", false, 0, 2},
        {"\xED\xBF\xBF", false, 0, 2},
        // Past U+10FFFF: the second trail byte is left for what follows.
        {"\xF4\x90\x80\x80", false, 0, 2},
        // A byte that cannot continue the sequence ends it and is not taken.
        {"\xE2\x82\x41", false, 0, 2},
        {"\xC3\x41", false, 0, 1},
        {"\xF0\x9F\x98\x41", false, 0, 3},
        // Cut off by the end: the rest is taken, whatever it is.
        {"\xE2\x82", false, 0, 2},
        {"\xF0\x41\x42", false, 0, 3},
    };
    for (const auto& c : cases) {
        const jlaunch::Utf8Step step = jlaunch::decodeUtf8Step(c.bytes);
        EXPECT_EQ(step.valid, c.valid) << ::testing::PrintToString(std::string(c.bytes));
        EXPECT_EQ(step.length, c.length) << ::testing::PrintToString(std::string(c.bytes));
        if (c.valid) {
            EXPECT_EQ(static_cast<std::uint32_t>(step.code), static_cast<std::uint32_t>(c.code));
            // Every valid character encodes back to the bytes it came from.
            std::string again;
            jlaunch::encodeUtf8Step(again, step.code);
            EXPECT_EQ(again, c.bytes.substr(0, c.length));
        }
    }
}

TEST(Utf8Step, EncodesWhatUtf8HasNoFormForAsReplacement) {
    const std::pair<char32_t, std::string_view> cases[] = {
        {0xD800, "\xEF\xBF\xBD"},     {0xDFFF, "\xEF\xBF\xBD"},       {0x110000, "\xEF\xBF\xBD"},
        {0x7FFFFFFF, "\xEF\xBF\xBD"}, {0, std::string_view("\0", 1)},
    };
    for (const auto& [code, bytes] : cases) {
        std::string out = "x";
        jlaunch::encodeUtf8Step(out, code);
        EXPECT_EQ(out, "x" + std::string(bytes)) << static_cast<std::uint32_t>(code);
    }
}

TEST(ByteOrder, ReadsAndWritesEachWidthInItsOrder) {
    const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    EXPECT_EQ(jlaunch::readU16(bytes, 1), 0x0302u);
    EXPECT_EQ(jlaunch::readU32(bytes, 4), 0x88070605u);
    EXPECT_EQ(jlaunch::readU64(bytes, 0), 0x8807060504030201u);
    EXPECT_EQ(jlaunch::readBigEndian(std::span(bytes).subspan(6, 2)), 0x0788u);
    EXPECT_EQ(jlaunch::readLittleEndian(std::span(bytes).first(3)), 0x030201u);
    std::vector<std::uint8_t> out;
    jlaunch::appendU16(out, 0xBEEF);
    jlaunch::appendU32(out, 0x8807060504030201u & 0xFFFFFFFFu);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xEF, 0xBE, 0x01, 0x02, 0x03, 0x04}));
    std::uint8_t written[8] = {};
    jlaunch::writeU64(written, 0, jlaunch::readU64(bytes, 0));
    EXPECT_TRUE(std::equal(std::begin(bytes), std::end(bytes), std::begin(written)));
}

TEST(ResourceStrings, LanguageFromLcAllThenLcMessagesThenLang) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "fr_FR", "it_IT", L"Main class in der INI-Datei nicht spezifiziert."},
        {"", "fr_FR.UTF-8", "de_DE", L"Classe principale non spécifiée dans le fichier INI."},
        {nullptr, nullptr, "es_ES.UTF-8", L"La clase principal no fue especificada en el archivo INI."},
        {nullptr, "", "hu_HU", L"Az induló osztály nincs meghatározva az INI fájlban."},
        {nullptr, nullptr, "it_CH@euro", L"Classe principale non specificata nel file INI."},
        {nullptr, nullptr, "pt_BR", L"A classe principal não foi especificada no ficheiro INI."},
        {"C", "de_DE", "de_DE", L"Main class was not specified in INI file."},
        {nullptr, nullptr, "ja_JP.UTF-8", L"Main class was not specified in INI file."},
        {nullptr, nullptr, nullptr, L"Main class was not specified in INI file."},
    };
    for (const Case& c : cases) {
        ScopedEnvironment environment;
        environment.set("LC_ALL", c.lcAll);
        environment.set("LC_MESSAGES", c.lcMessages);
        environment.set("LANG", c.lang);
        std::wstring text;
        EXPECT_TRUE(loadResourceString(210, text));
        EXPECT_EQ(text, c.expected) << (c.lang != nullptr ? c.lang : "(unset)");
    }
}

TEST(ResourceStrings, EveryLanguageHasEveryMessageWithTheSamePlaceholders) {
    const auto placeholders = [](const std::wstring& text) {
        std::wstring found;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] == L'%') found.push_back(text[++i]);
        }
        return found;
    };
    std::vector<std::wstring> english;
    for (const char* locale : {"en_US", "de_DE", "fr_FR", "hu_HU", "it_IT", "pt_PT", "es_ES"}) {
        ScopedEnvironment environment;
        environment.set("LC_ALL", locale);
        for (unsigned id = 202; id <= 230; ++id) {
            std::wstring text;
            ASSERT_TRUE(loadResourceString(id, text)) << locale << " " << id;
            EXPECT_FALSE(text.empty());
            if (english.size() < 29) {
                english.push_back(text);
            } else {
                EXPECT_EQ(placeholders(text), placeholders(english[id - 202])) << locale << " " << id;
            }
        }
    }
}

TEST(ResourceStrings, MissingIdLeavesTargetUnchanged) {
    for (unsigned id : {0u, 1u, 201u, 231u, 65535u, 4000000000u}) {
        std::wstring target = L"kept";
        EXPECT_FALSE(loadResourceString(id, target)) << id;
        EXPECT_EQ(target, L"kept");
    }
}

TEST(CaseFolding, MatchesUnicodeLowerCaseOverTheFoldedScripts) {
    // The C library's Unicode tables are an independent account of the same pairs.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    const std::vector<std::pair<wchar_t, wchar_t>> ranges = {{0, 0x17F}, {0x391, 0x3CE}, {0x400, 0x45F}};
    for (const auto& [first, last] : ranges) {
        for (wchar_t c = first; c <= last; ++c) {
            if (c == 0x130) continue;  // dotted capital I folds to "i" only in Turkish
            EXPECT_EQ(static_cast<std::wint_t>(jlaunch::foldCase(c)), std::towlower(static_cast<std::wint_t>(c)))
                << std::hex << static_cast<unsigned>(c);
        }
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}

TEST(CaseFolding, EqualsIgnoringCase) {
    EXPECT_TRUE(jlaunch::equalsIgnoringCase(L"favor_IBM", L"FAVOR_ibm"));
    EXPECT_TRUE(jlaunch::equalsIgnoringCase(L"\u00C4\u0139\u017D\u0178\u03A3\u0416\u0401",
                                            L"\u00E4\u013A\u017E\u00FF\u03C3\u0436\u0451"));
    EXPECT_TRUE(jlaunch::equalsIgnoringCase(L"", L""));
    EXPECT_FALSE(jlaunch::equalsIgnoringCase(L"Yes", L"Yes "));
    EXPECT_FALSE(jlaunch::equalsIgnoringCase(L"\u00D7", L"\u00F7"));  // multiplication and division signs
    EXPECT_FALSE(jlaunch::equalsIgnoringCase(L"\u0148", L"\u0149"));
    EXPECT_FALSE(jlaunch::equalsIgnoringCase(L"@[`{", L"`{@["));  // neighbours of the letters
}

}  // namespace
