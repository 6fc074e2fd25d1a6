#pragma once
// What is wrong with a settings file, told against the settings vocabulary:
// names the launcher does not know (with the nearest one it does) and
// values it cannot read. The launcher traces the first kind and stops on the
// second; jlaunch-pack reports both.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/setting_keys.h"
#include "settings/settings_file.h"

namespace jlaunch {

struct NameNotice {
    enum class Kind {
        UnknownSection,   // `section`, perhaps like `suggestion`
        RepeatedSection,  // `section` again: its keys are never read
        UnknownKey,       // `key` in `section`, perhaps like `suggestion` (a "[section] key")
        RepeatedKey,      // `key` again in `section`: only the first is read
    };
    Kind kind;
    std::wstring section;
    std::wstring key;
    std::wstring suggestion;

    bool operator==(const NameNotice&) const = default;
};

// `exactNames`: names are compared as the embedded settings compare them,
// case and blanks included; otherwise as a settings file is read.
std::vector<NameNotice> checkSettingNames(std::span<const NamedSection> sections, bool exactNames);

struct ValueProblem {
    enum class Kind {
        Unreadable,      // `value` of `id` is no version, or no number in its range: the launch stops
        EmptyRange,      // "Minimum Version" `value` is above "Maximum Version" `other`: the launch stops
        UnknownWord,     // `value` of `id` is none of its words: read as the default
        HiddenExtension  // the "+" value `other` of `id` is never read: the file's own `value` hides it
    };
    Kind kind;
    SettingId id;
    std::wstring value;
    std::wstring other;

    bool stopsLaunch() const { return kind == Kind::Unreadable || kind == Kind::EmptyRange; }
    bool operator==(const ValueProblem&) const = default;
};

std::vector<ValueProblem> checkSettingValues(const SettingValues& values);

// One line of English for the trace and the packaging tool; a problem's
// line is also handed over as pieces, which the trace takes as they are.
std::wstring describe(const NameNotice& notice);
std::wstring describe(const ValueProblem& problem);

// Traces the names that neither the file nor the embedded settings of
// `store` should hold.
void traceSettingNames(const LayeredSettings& store);

// A version value the launcher can read: empty, "any" in any letter case, or
// digits it can hold.
bool isReadableVersion(const std::wstring& value);

// A number value of `key`: digits after an optional sign, within the key's
// range; nothing for any other text.
std::optional<std::int32_t> parseNumber(std::wstring_view value, const SettingKey& key);

}  // namespace jlaunch
