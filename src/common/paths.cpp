#include "common/paths.h"

#include <array>

#include "common/text.h"

namespace jlaunch {

std::wstring parentPath(std::wstring path, unsigned levels) {
    for (unsigned i = 0; i < levels; ++i) {
        const auto cut = path.rfind(kPathSeparator);
        if (cut == std::wstring::npos) {
            break;
        }
        path.resize(cut);
    }
    return path;
}

std::optional<std::wstring> safePathComponent(std::wstring_view name) {
    constexpr std::size_t kMaxComponent = 128;
    constexpr std::wstring_view kNotInNames = L"\\/:*?\"<>|";
    std::wstring safe;
    for (const wchar_t c : name) {
        if (static_cast<std::uint32_t>(c) >= 32 && kNotInNames.find(c) == std::wstring_view::npos) {
            safe.push_back(c);
        }
    }
    // Windows drops trailing dots and spaces, so "a." would be "a" and ".." nothing.
    while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' ')) {
        safe.pop_back();
    }
    if (safe.empty() || safe.size() > kMaxComponent) {
        return std::nullopt;
    }
    // A device name opens the device, with or without an extension.
    const std::wstring_view stem = std::wstring_view(safe).substr(0, safe.find(L'.'));
    constexpr std::array<std::wstring_view, 4> kDevices = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const std::wstring_view device : kDevices) {
        if (equalsIgnoringCase(trimWhiteSpace(stem), device)) {
            return std::nullopt;
        }
    }
    const std::wstring_view trimmed = trimWhiteSpace(stem);
    if (trimmed.size() == 4 &&
        (equalsIgnoringCase(trimmed.substr(0, 3), L"COM") || equalsIgnoringCase(trimmed.substr(0, 3), L"LPT"))) {
        const wchar_t digit = trimmed[3];
        if ((digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3') {
            return std::nullopt;
        }
    }
    return safe;
}

bool hasLongPathPrefix(std::wstring_view path) {
    return path.substr(0, 4) == L"\\\\?\\";
}

}  // namespace jlaunch
