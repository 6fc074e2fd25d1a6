// libFuzzer target over the parsers that read text from outside the launcher:
// INI text, settings files, argument and list splitting, Java versions and
// message formats. Crashes, sanitizer reports and broken invariants all abort.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/text.h"
#include "fuzz_support.h"
#include "common/java_version.h"
#include "common/split.h"
#include "settings/ini_text.h"
#include "settings/profile_text.h"

namespace {

using jlaunch::fuzz::check;
using jlaunch::fuzz::rawUnits;

void exercise(const std::wstring& text) {
    const jlaunch::EmbeddedSettings settings = jlaunch::parseIniText(text);
    std::wstring value;
    for (const auto& section : settings.sections()) {
        for (const auto& pair : section.pairs) {
            value.clear();
            settings.lookup(section.name, pair.first, value);
        }
    }

    std::size_t total = 0;
    for (const std::wstring& argument : jlaunch::splitArguments(text)) total += argument.size();
    check(total <= text.size());
    total = 0;
    for (const std::wstring& piece : jlaunch::splitList(text, L";")) total += piece.size();
    check(total <= text.size());

    for (const std::int32_t filler : {jlaunch::kVersionFillerLow, jlaunch::kVersionFillerHigh}) {
        jlaunch::JavaVersion version;
        if (jlaunch::parseJavaVersion(text, filler, version)) {
            check(!jlaunch::formatJavaVersion(version).empty());
            check(jlaunch::compareJavaVersions(version, version) == 0);
        } else {
            check(version == jlaunch::JavaVersion{});
        }
    }

    const jlaunch::ProfileText profile = jlaunch::ProfileText::parse(text);
    for (const std::wstring& name : profile.sectionNames()) {
        profile.value(name, L"Main Class");
    }
    jlaunch::formatText(text, {std::wstring_view(L"text"), std::int32_t{-1}, std::uint32_t{7}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring decoded = jlaunch::toWide(bytes);
    check(jlaunch::toWide(jlaunch::toNarrow(decoded)) == decoded);
    exercise(decoded);
    exercise(rawUnits(bytes));
    exercise(jlaunch::decodeProfileBytes(bytes));
    return 0;
}
