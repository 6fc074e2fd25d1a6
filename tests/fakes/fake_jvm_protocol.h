#pragma once
// What the fake jvm.dll and the tests that drive it agree on: the variables
// naming the script and the trace, the exit codes of a double that gives up,
// and one escaping of text, so a test compares exactly what the double wrote.
//
// Trace payloads are escaped so that every line stays one line and every
// byte or UTF-16 unit can be told apart:
//   "\\" a backslash, "\n" "\r" "\t", "\xHH" any other control character (or,
//   in byte payloads, any byte >= 0x80), "\uHHHH" a lone surrogate in text
//   payloads. Everything else is itself (text payloads are UTF-8).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fake_jvm {

// The script file (see fake_jvm_script.h) and the trace file.
inline constexpr wchar_t kScriptVariable[] = L"JLAUNCH_FAKE_JVM_SCRIPT";
inline constexpr wchar_t kTraceVariable[] = L"JLAUNCH_FAKE_JVM_TRACE";

// Exit codes: a JNI function the double does not offer was called; the script
// could not be read.
inline constexpr unsigned kUnexpectedCallExitCode = 0x7E57;
inline constexpr unsigned kScriptErrorExitCode = 0x7E58;

namespace detail {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

inline void appendHexByte(std::string& out, unsigned value) {
    out += "\\x";
    out.push_back(kHexDigits[(value >> 4) & 0xF]);
    out.push_back(kHexDigits[value & 0xF]);
}

inline void appendUnitEscape(std::string& out, char16_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kHexDigits[(static_cast<unsigned>(unit) >> shift) & 0xF]);
    }
}

// True when the character needs no escape in either payload kind.
inline bool plainAscii(unsigned c) {
    return c >= 0x20 && c < 0x7F && c != '\\';
}

inline bool appendControlEscape(std::string& out, unsigned c) {
    switch (c) {
        case '\\':
            out += "\\\\";
            return true;
        case '\n':
            out += "\\n";
            return true;
        case '\r':
            out += "\\r";
            return true;
        case '\t':
            out += "\\t";
            return true;
        default:
            break;
    }
    if (c < 0x20 || c == 0x7F) {
        appendHexByte(out, c);
        return true;
    }
    return false;
}

inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `count` hex digits at `at`; -1 when they are not all there.
inline long hexNumber(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    long value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int digit = hexValue(text[at + i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

inline bool isHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
inline bool isLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Decodes one UTF-8 sequence at `i` (advancing it); U+FFFD for a bad one.
inline char32_t decodeUtf8(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned lead = byte(i);
    std::size_t length = 1;
    char32_t cp = 0xFFFD;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + length > text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += length;
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    return cp;
}

}  // namespace detail

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
inline std::string toUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (detail::isHigh(unit) && i + 1 < text.size() && detail::isLow(text[i + 1])) {
            detail::appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (detail::isHigh(unit) || detail::isLow(unit)) {
            detail::appendUtf8(out, 0xFFFD);
        } else {
            detail::appendUtf8(out, unit);
        }
    }
    return out;
}

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
inline std::u16string fromUtf8(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        detail::appendUtf16(out, detail::decodeUtf8(text, i));
    }
    return out;
}

// The JNI's modified UTF-8: every UTF-16 unit on its own (so a pair takes six
// bytes) and U+0000 as C0 80.
inline std::string toModifiedUtf8(std::u16string_view text) {
    std::string out;
    for (const char16_t unit : text) {
        if (unit == 0) {
            out += "\xC0\x80";
        } else {
            detail::appendUtf8(out, unit);
        }
    }
    return out;
}

// Modified UTF-8 to UTF-16; `valid` tells whether the input was well formed
// (four-byte sequences and bare NULs are not).
inline std::u16string fromModifiedUtf8(std::string_view text, bool& valid) {
    valid = true;
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead == 0 || (lead & 0xF8) == 0xF0) {
            valid = false;
        }
        // The modified form encodes surrogates one by one, which plain UTF-8
        // decoding refuses: take three-byte sequences directly.
        if ((lead & 0xF0) == 0xE0 && i + 2 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80 &&
            (static_cast<unsigned char>(text[i + 2]) & 0xC0) == 0x80) {
            out.push_back(static_cast<char16_t>(((lead & 0x0F) << 12) |
                                                ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                                                (static_cast<unsigned char>(text[i + 2]) & 0x3F)));
            i += 3;
            continue;
        }
        if (lead == 0xC0 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
            out.push_back(u'\0');
            i += 2;
            continue;
        }
        // Three-byte sequences never get here, so U+FFFD means a bad one.
        const char32_t cp = detail::decodeUtf8(text, i);
        if (cp == 0xFFFD) {
            valid = false;
        }
        detail::appendUtf16(out, cp);
    }
    return out;
}

// A byte string (ANSI code page or modified UTF-8) for a trace line.
inline std::string escapeBytes(std::string_view bytes) {
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (detail::plainAscii(c)) {
            out.push_back(ch);
        } else if (!detail::appendControlEscape(out, c)) {
            detail::appendHexByte(out, c);
        }
    }
    return out;
}

// UTF-16 text for a trace line: UTF-8, with lone surrogates as \uHHHH.
inline std::string escapeText(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            if (!detail::appendControlEscape(out, unit)) out.push_back(static_cast<char>(unit));
        } else if (detail::isHigh(unit) && i + 1 < text.size() && detail::isLow(text[i + 1])) {
            out += toUtf8(text.substr(i, 2));
            ++i;
        } else if (detail::isHigh(unit) || detail::isLow(unit)) {
            detail::appendUnitEscape(out, unit);
        } else {
            detail::appendUtf8(out, unit);
        }
    }
    return out;
}

// The inverse of escapeBytes.
inline std::string unescapeBytes(std::string_view escaped) {
    std::string out;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\' || i + 1 == escaped.size()) {
            out.push_back(escaped[i]);
            continue;
        }
        const char kind = escaped[++i];
        if (kind == 'n') {
            out.push_back('\n');
        } else if (kind == 'r') {
            out.push_back('\r');
        } else if (kind == 't') {
            out.push_back('\t');
        } else if (kind == 'x' && detail::hexNumber(escaped, i + 1, 2) >= 0) {
            out.push_back(static_cast<char>(detail::hexNumber(escaped, i + 1, 2)));
            i += 2;
        } else {
            out.push_back(kind);
        }
    }
    return out;
}

// The inverse of escapeText; also reads script values, which use the same
// escapes (so "\n" in a script is a line break).
inline std::u16string unescapeText(std::string_view escaped) {
    std::u16string out;
    std::size_t i = 0;
    while (i < escaped.size()) {
        if (escaped[i] != '\\' || i + 1 == escaped.size()) {
            detail::appendUtf16(out, detail::decodeUtf8(escaped, i));
            continue;
        }
        const char kind = escaped[i + 1];
        i += 2;
        if (kind == 'n') {
            out.push_back(u'\n');
        } else if (kind == 'r') {
            out.push_back(u'\r');
        } else if (kind == 't') {
            out.push_back(u'\t');
        } else if (kind == 'x' && detail::hexNumber(escaped, i, 2) >= 0) {
            out.push_back(static_cast<char16_t>(detail::hexNumber(escaped, i, 2)));
            i += 2;
        } else if (kind == 'u' && detail::hexNumber(escaped, i, 4) >= 0) {
            out.push_back(static_cast<char16_t>(detail::hexNumber(escaped, i, 4)));
            i += 4;
        } else {
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(kind)));
        }
    }
    return out;
}

// Windows' wchar_t is UTF-16, so these only change the element type.
inline std::u16string toU16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}
inline std::wstring toWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace fake_jvm
