#include <cstdlib>
#include <map>
#include <utility>

#include "common/language.h"
#include "common/messages.h"
#include "common/text.h"
#include "common/utf8_step.h"

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

}  // namespace

std::string toNarrow(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t w : wide) {
        encodeUtf8Step(out, static_cast<char32_t>(w));
    }
    return out;
}

std::wstring toWide(std::string_view narrow) {
    std::wstring out;
    out.reserve(narrow.size());
    // Each bad byte becomes U+FFFD of its own, and reading goes on at the next.
    for (std::size_t i = 0; i < narrow.size();) {
        const Utf8Step step = decodeUtf8Step(narrow.substr(i));
        out.push_back(step.valid ? static_cast<wchar_t>(step.code) : kReplacement);
        i += step.valid ? step.length : 1;
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
