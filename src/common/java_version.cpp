#include "common/java_version.h"

#include <limits>

#include "common/text.h"
#include "common/messages.h"

namespace jlaunch {

namespace {

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Neither bound given: all four components are 0, or all are 65535.
bool isUnset(const JavaVersion& v) {
    const auto first = v.components[0];
    return (first == 0 || first == kVersionFillerHigh) && v.components[1] == first && v.components[2] == first &&
           v.components[3] == first;
}

}  // namespace

bool parseJavaVersion(std::wstring_view text, std::int32_t filler, JavaVersion& version) {
    version = JavaVersion{};
    std::size_t p = 0;
    while (p < text.size() && !isDigit(text[p])) ++p;
    if (p == text.size()) {
        return false;
    }
    std::size_t index = 0;
    while (true) {
        std::int32_t value = 0;
        for (; p < text.size() && isDigit(text[p]); ++p) {
            const auto digit = static_cast<std::int32_t>(text[p] - L'0');
            if (value > (std::numeric_limits<std::int32_t>::max() - digit) / 10) {
                version = JavaVersion{};
                return false;
            }
            value = value * 10 + digit;
        }
        version.components[index] = value;
        while (p < text.size() && !isDigit(text[p])) ++p;
        if (p == text.size() || index == 3) {
            break;
        }
        ++index;
    }
    for (std::size_t i = index + 1; i < version.components.size(); ++i) {
        version.components[i] = filler;
    }
    return true;
}

int compareJavaVersions(const JavaVersion& a, const JavaVersion& b) {
    for (std::size_t i = 0; i < a.components.size(); ++i) {
        if (a.components[i] != b.components[i]) {
            return a.components[i] < b.components[i] ? -1 : 1;
        }
    }
    return 0;
}

std::wstring formatJavaVersion(const JavaVersion& version) {
    std::size_t last = version.components.size();
    while (last > 0 && (version.components[last - 1] == 0 || version.components[last - 1] == kVersionFillerHigh)) {
        --last;
    }
    if (last == 0) {
        return L"0.0.0.0";
    }
    std::wstring text;
    for (std::size_t i = 0; i < std::max<std::size_t>(last, 2); ++i) {
        if (i > 0) {
            text.push_back(L'.');
        }
        text += decimalText(version.components[i]);
    }
    return text;
}

std::wstring describeVersionRange(const JavaVersion& minimum, const JavaVersion& maximum) {
    const std::wstring low = formatJavaVersion(minimum);
    const std::wstring high = formatJavaVersion(maximum);
    if (isUnset(minimum)) {
        return isUnset(maximum) ? formatText(kMsgLatestVersion, {}) : formatText(kMsgMaximumVersion, {high});
    }
    if (isUnset(maximum)) {
        return formatText(kMsgMinimumVersion, {low});
    }
    if (minimum == maximum) {
        return formatText(kMsgVersionRequired, {low});
    }
    return formatText(kMsgVersionBetween, {low, high});
}

void appendTracePiece(std::wstring& line, const JavaVersion& version) {
    bool unbounded = true;
    for (const std::int32_t component : version.components) {
        unbounded = unbounded && component == kVersionFillerHigh;
    }
    line += unbounded ? L"65535.65535.65535.65535 (no upper bound)" : formatJavaVersion(version);
}

}  // namespace jlaunch
