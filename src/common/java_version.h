#pragma once
// Java version numbers: parsed from free text, compared, printed, and the
// accepted range put into words.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace jlaunch {

struct JavaVersion {
    std::array<std::int32_t, 4> components{};

    bool operator==(const JavaVersion&) const = default;
};

inline constexpr std::int32_t kVersionFillerLow = 0;
inline constexpr std::int32_t kVersionFillerHigh = 65535;

// Reads up to four runs of decimal digits; components not given get
// `filler`. False (and 0.0.0.0) for empty text, no digit, or overflow.
bool parseJavaVersion(std::wstring_view text, std::int32_t filler, JavaVersion& version);

// -1, 0 or 1, component by component.
int compareJavaVersions(const JavaVersion& a, const JavaVersion& b);

// Without trailing 0 and 65535 components, but at least two; "0.0.0.0"
// when every component is 0 or 65535.
std::wstring formatJavaVersion(const JavaVersion& version);

// A version in a trace line: as printed, but every component when all are
// 65535 (no upper bound), which would otherwise print as "0.0.0.0".
void appendTracePiece(std::wstring& line, const JavaVersion& version);

// The localised phrase for the accepted range (messages 217 to 221).
std::wstring describeVersionRange(const JavaVersion& minimum, const JavaVersion& maximum);

}  // namespace jlaunch
