#include "settings/settings_check.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "common/java_version.h"
#include "common/text.h"
#include "common/trace.h"
#include "common/split.h"

namespace jlaunch {

namespace {

wchar_t folded(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
}

// Edits (insert, delete, replace) from one name to the other, letter case aside.
std::size_t editDistance(std::wstring_view a, std::wstring_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (folded(a[i - 1]) == folded(b[j - 1]) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Close enough to be a slip of the pen: a few letters for a long name.
bool isNear(std::size_t distance, std::wstring_view written) {
    return distance <= std::max<std::size_t>(2, written.size() / 4);
}

class NameRules {
public:
    explicit NameRules(bool exact) : exact_(exact) {}

    std::wstring_view normal(std::wstring_view name) const { return exact_ ? name : trimWhiteSpace(name); }
    bool same(std::wstring_view a, std::wstring_view b) const {
        return exact_ ? a == b : equalsIgnoringCase(normal(a), normal(b));
    }

private:
    bool exact_;
};

std::optional<std::wstring_view> knownSection(const NameRules& rules, std::wstring_view base) {
    for (std::wstring_view known : settingSections()) {
        if (rules.same(base, known)) {
            return known;
        }
    }
    return std::nullopt;
}

std::wstring nearestSection(std::wstring_view base) {
    std::wstring best;
    std::size_t bestDistance = base.size() + 1;
    for (std::wstring_view known : settingSections()) {
        const std::size_t distance = editDistance(trimWhiteSpace(base), known);
        if (distance < bestDistance) {
            best = known;
            bestDistance = distance;
        }
    }
    return isNear(bestDistance, base) ? best : std::wstring();
}

// "[section] key" of the nearest known key, in any section.
std::wstring nearestKey(std::wstring_view key) {
    const SettingKey* best = nullptr;
    std::size_t bestDistance = key.size() + 1;
    for (const SettingKey& known : settingKeys()) {
        const std::size_t distance = editDistance(trimWhiteSpace(key), known.key);
        if (distance < bestDistance) {
            best = &known;
            bestDistance = distance;
        }
    }
    if (best == nullptr || !isNear(bestDistance, key)) {
        return {};
    }
    return L"[" + std::wstring(best->section) + L"] " + std::wstring(best->key);
}

void checkKeys(const NameRules& rules, const NamedSection& section, std::wstring_view base, bool extension,
               std::vector<NameNotice>& notices) {
    std::vector<std::wstring_view> seen;
    for (const std::wstring& key : section.keys) {
        const std::wstring_view name = rules.normal(key);
        if (name.starts_with(L';') || name.starts_with(L'#')) {
            continue;  // a comment to the packaging tool and to people
        }
        if (std::any_of(seen.begin(), seen.end(),
                        [&](std::wstring_view earlier) { return rules.same(earlier, name); })) {
            notices.push_back({NameNotice::Kind::RepeatedKey, section.name, key, {}});
            continue;
        }
        seen.push_back(name);
        const bool known = std::any_of(settingKeys().begin(), settingKeys().end(), [&](const SettingKey& entry) {
            return entry.section == base && rules.same(entry.key, name) && (!extension || entry.layered());
        });
        if (!known) {
            notices.push_back({NameNotice::Kind::UnknownKey, section.name, key, nearestKey(key)});
        }
    }
}

// One text of the pieces, made in one place rather than by a chain of
// concatenations at every call.
std::wstring joined(std::initializer_list<std::wstring_view> pieces) {
    std::wstring text;
    for (std::wstring_view piece : pieces) {
        text += piece;
    }
    return text;
}

bool isWord(const SettingKey& key, std::wstring_view value) {
    for (const std::wstring& word : splitList(key.words, L"|")) {
        if (key.ignoringCase ? equalsIgnoringCase(value, word) : value == word) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<NameNotice> checkSettingNames(std::span<const NamedSection> sections, bool exactNames) {
    const NameRules rules(exactNames);
    std::vector<NameNotice> notices;
    std::vector<std::wstring_view> seen;
    for (const NamedSection& section : sections) {
        const std::wstring_view name = rules.normal(section.name);
        if (std::any_of(seen.begin(), seen.end(),
                        [&](std::wstring_view earlier) { return rules.same(earlier, name); })) {
            notices.push_back({NameNotice::Kind::RepeatedSection, section.name, {}, {}});
            continue;
        }
        seen.push_back(name);
        const bool extension = name.ends_with(L'+');
        const std::wstring_view base = extension ? name.substr(0, name.size() - 1) : name;
        const auto known = knownSection(rules, base);
        if (!known) {
            std::wstring suggestion = nearestSection(base);
            if (!suggestion.empty() && extension) {
                suggestion += L'+';
            }
            notices.push_back({NameNotice::Kind::UnknownSection, section.name, {}, std::move(suggestion)});
            continue;
        }
        checkKeys(rules, section, *known, extension, notices);
    }
    return notices;
}

bool isReadableVersion(const std::wstring& value) {
    JavaVersion ignored;
    return value.empty() || equalsIgnoringCase(value, L"any") || parseJavaVersion(value, kVersionFillerLow, ignored);
}

std::optional<std::int32_t> parseNumber(std::wstring_view value, const SettingKey& key) {
    const std::wstring_view text = trimWhiteSpace(value);
    const bool negative = text.starts_with(L'-');
    std::size_t at = negative || text.starts_with(L'+') ? 1 : 0;
    if (at == text.size()) {
        return std::nullopt;
    }
    // Past 2^32 no digit brings a value back into a 32-bit range.
    constexpr std::int64_t kBeyond = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < L'0' || text[at] > L'9') {
            return std::nullopt;
        }
        magnitude = std::min(magnitude * 10 + (text[at] - L'0'), kBeyond);
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (number < key.lowest || number > key.highest) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

std::vector<ValueProblem> checkSettingValues(const SettingValues& values) {
    std::vector<ValueProblem> problems;
    for (const SettingKey& key : settingKeys()) {
        const SettingValue& read = valueOf(values, key.id);
        if (!read.hiddenExtension.empty()) {
            problems.push_back({ValueProblem::Kind::HiddenExtension, key.id, read.value, read.hiddenExtension});
        }
        if (read.value.empty()) {
            continue;
        }
        const bool unreadable = (key.kind == ValueKind::Version && !isReadableVersion(read.value)) ||
                                (key.kind == ValueKind::Number && !parseNumber(read.value, key));
        if (unreadable) {
            problems.push_back({ValueProblem::Kind::Unreadable, key.id, read.value, {}});
        } else if (key.kind == ValueKind::Versions) {
            for (const std::wstring& entry : splitList(read.value, key.words)) {
                const std::wstring version(trimWhiteSpace(entry));
                if (!isReadableVersion(version)) {
                    problems.push_back({ValueProblem::Kind::Unreadable, key.id, version, {}});
                }
            }
        } else if (key.kind == ValueKind::Word && !isWord(key, read.value)) {
            problems.push_back({ValueProblem::Kind::UnknownWord, key.id, read.value, {}});
        }
    }
    const std::wstring& minimum = valueOf(values, SettingId::MinimumVersion).value;
    const std::wstring& maximum = valueOf(values, SettingId::MaximumVersion).value;
    JavaVersion low;
    JavaVersion high;
    if (parseJavaVersion(minimum, kVersionFillerLow, low) && parseJavaVersion(maximum, kVersionFillerHigh, high) &&
        compareJavaVersions(low, high) > 0) {
        problems.push_back({ValueProblem::Kind::EmptyRange, SettingId::MinimumVersion, minimum, maximum});
    }
    return problems;
}

std::wstring describe(const NameNotice& notice) {
    const bool suggested = !notice.suggestion.empty();
    const bool section = notice.kind == NameNotice::Kind::UnknownSection;
    switch (notice.kind) {
        case NameNotice::Kind::UnknownSection:
        case NameNotice::Kind::UnknownKey:
            return joined({L"unknown ", section ? L"section [" : L"key \"", section ? notice.section : notice.key,
                           section ? L"]" : L"\" in [", section ? L"" : notice.section, section ? L"" : L"]",
                           L" is not read", suggested ? L"; did you mean " : L"", suggested && section ? L"[" : L"",
                           notice.suggestion, suggested && section ? L"]" : L"", suggested ? L"?" : L""});
        case NameNotice::Kind::RepeatedSection:
            return joined({L"section [", notice.section, L"] appears again: only its first appearance is read"});
        case NameNotice::Kind::RepeatedKey:
            break;
    }
    return joined({L"key \"", notice.key, L"\" appears again in [", notice.section, L"]: only the first is read"});
}

std::wstring describe(const ValueProblem& problem) {
    const SettingKey& key = settingKey(problem.id);
    const std::wstring_view section = key.section;
    switch (problem.kind) {
        case ValueProblem::Kind::Unreadable:
            if (key.kind == ValueKind::Number) {
                return joined({L"[", section, L"] ", key.key, L" = \"", problem.value,
                               L"\" is not a whole number from ", decimalText(key.lowest), L" to ",
                               decimalText(key.highest)});
            }
            return joined({L"[", section, L"] ", key.key, L" = \"", problem.value,
                           L"\" is not a Java version (such as 17 or 1.8)",
                           key.kind == ValueKind::Version ? L" nor \"any\"" : L""});
        case ValueProblem::Kind::EmptyRange:
            return joined({L"no Java version is accepted: [", section, L"] ", key.key, L" \"", problem.value,
                           L"\" is above Maximum Version \"", problem.other, L"\""});
        case ValueProblem::Kind::UnknownWord:
            return joined({L"[", section, L"] ", key.key, L" = \"", problem.value, L"\" is none of: ", key.words,
                           key.ignoringCase ? L" (any letter case)" : L" (exactly so)", L"; it reads as if not set"});
        case ValueProblem::Kind::HiddenExtension:
            break;
    }
    return joined({L"[", section, L"+] ", key.key, L" = \"", problem.other, L"\" is not read: [", section, L"] ",
                   key.key, L" = \"", problem.value,
                   L"\" in the same file replaces it (\"+\" extends only an embedded value)"});
}

void traceSettingNames(const LayeredSettings& store) {
    for (const NameNotice& notice : checkSettingNames(outlineOf(store.file()), false)) {
        trace("settings file: ", describe(notice));
    }
    for (const NameNotice& notice : checkSettingNames(outlineOf(store.embedded()), true)) {
        trace("embedded settings: ", describe(notice));
    }
}

}  // namespace jlaunch
