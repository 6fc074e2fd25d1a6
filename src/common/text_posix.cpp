#include <cstdlib>
#include <map>
#include <utility>

#include "common/language.h"
#include "common/messages.h"
#include "common/text.h"

namespace jlaunch {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

using MessageTable = std::map<std::pair<std::uint16_t, unsigned>, const wchar_t*>;

const MessageTable& messageTable() {
    // The same texts the Windows string tables are compiled from.
    static const MessageTable table = [] {
        MessageTable t;
// Every language names its ids as English does, or the build stops here.
#define MESSAGE(id, name, text)        \
    static_assert(kMsg##name == (id)); \
    t.emplace(std::make_pair(kLanguage, id), L"" text);
        {
            constexpr std::uint16_t kLanguage = 1033;
#include "strings/messages_1033.inc"
        }
        {
            constexpr std::uint16_t kLanguage = 1031;
#include "strings/messages_1031.inc"
        }
        {
            constexpr std::uint16_t kLanguage = 1036;
#include "strings/messages_1036.inc"
        }
        {
            constexpr std::uint16_t kLanguage = 1038;
#include "strings/messages_1038.inc"
        }
        {
            constexpr std::uint16_t kLanguage = 1040;
#include "strings/messages_1040.inc"
        }
        {
            constexpr std::uint16_t kLanguage = 2070;
#include "strings/messages_2070.inc"
        }
        {
            constexpr std::uint16_t kLanguage = 3082;
#include "strings/messages_3082.inc"
        }
#undef MESSAGE
        return t;
    }();
    return table;
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty.
std::uint16_t userInterfaceLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return languageForLocaleName(value);
        }
    }
    return 1033;
}

// Length of the UTF-8 sequence a lead byte starts, 0 for an invalid lead.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::string toNarrow(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t w : wide) {
        auto c = static_cast<char32_t>(w);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::wstring toWide(std::string_view narrow) {
    std::wstring out;
    out.reserve(narrow.size());
    std::size_t i = 0;
    while (i < narrow.size()) {
        const auto lead = static_cast<unsigned char>(narrow[i]);
        const int length = sequenceLength(lead);
        if (length == 1) {
            out.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        char32_t c = length == 2 ? (lead & 0x1Fu) : length == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
        bool valid = length != 0 && i + static_cast<std::size_t>(length) <= narrow.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(narrow[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0u) == 0x80u;
            c = (c << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not text.
        valid = valid && !(length == 3 && c < 0x800) && !(length == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
                !(c >= 0xD800 && c <= 0xDFFF);
        if (valid) {
            out.push_back(static_cast<wchar_t>(c));
            i += static_cast<std::size_t>(length);
        } else {
            out.push_back(kReplacement);
            ++i;
        }
    }
    return out;
}

bool loadResourceString(unsigned id, std::wstring& target) {
    const auto& table = messageTable();
    auto found = table.find({userInterfaceLanguage(), id});
    if (found == table.end()) {
        found = table.find({std::uint16_t{1033}, id});
    }
    if (found == table.end() || *found->second == L'\0') {
        return false;
    }
    target = found->second;
    return true;
}

}  // namespace jlaunch
