#pragma once
// UTF-8 and UTF-16 whatever the width of wchar_t (UTF-16 on Windows, UTF-32
// on Linux): the enciphered settings, the launch trace, Java strings and the
// single-instance block.
#include <optional>
#include <string>
#include <string_view>

namespace jlaunch {

// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
// Nothing unless `bytes` is well-formed UTF-8.
std::optional<std::wstring> fromUtf8(std::string_view bytes);

// The text as UTF-16 code units, the form Java strings and the
// single-instance block are made of: on Linux, where wchar_t holds a whole
// code point, characters beyond the first plane become surrogate pairs.
std::u16string toUtf16Units(std::wstring_view text);

}  // namespace jlaunch
