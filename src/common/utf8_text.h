#pragma once
// UTF-8 whatever the width of wchar_t (UTF-16 on Windows, UTF-32 on Linux):
// the enciphered settings and the launch trace.
#include <optional>
#include <string>
#include <string_view>

namespace jlaunch {

// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
// Nothing unless `bytes` is well-formed UTF-8.
std::optional<std::wstring> fromUtf8(std::string_view bytes);

}  // namespace jlaunch
