#pragma once
// One character of UTF-8 at a time, for the decoders and encoders that each
// keep their own policy for what is not text (replace it or refuse it).
#include <cstddef>
#include <string>
#include <string_view>

namespace jlaunch {

struct Utf8Step {
    char32_t code = 0;       // the character, when `valid`
    std::size_t length = 0;  // bytes taken: always at least one
    bool valid = false;
};

// The character at the start of `bytes` (not empty). A malformed sequence
// takes its lead byte and every byte that could still continue it, as
// Windows' MultiByteToWideChar groups them: "E2 82 41" is one bad sequence
// of two bytes and then "A". One cut off by the end of `bytes` takes the rest.
// Overlong forms, surrogates and values past U+10FFFF are never valid.
Utf8Step decodeUtf8Step(std::string_view bytes);

// `code` as UTF-8 at the end of `out`; a surrogate or a value past U+10FFFF,
// which UTF-8 has no form for, becomes U+FFFD.
void encodeUtf8Step(std::string& out, char32_t code);

// `code` at the end of `out` in wchar_t units: a surrogate pair for a
// character past the first plane where wchar_t is 16-bit.
void appendWideCodePoint(std::wstring& out, char32_t code);

}  // namespace jlaunch
