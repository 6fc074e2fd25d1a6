#include <windows.h>

#include <array>
#include <limits>

#include "common/launch_error.h"
#include "common/resource_language_win.h"
#include "common/text.h"

namespace jlaunch {

namespace {

int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        raiseLaunchError(LaunchError::kArithmeticOverflow);
    }
    return static_cast<int>(size);
}

// The string-table block holding `id`, looked up in one language.
HRSRC findStringBlock(HMODULE module, unsigned id, LANGID language) {
    const auto block = static_cast<WORD>(id / 16 + 1);
    return FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block), language);
}

// Copies entry id mod 16 of a block; false when it is empty or the block is cut short.
bool readStringEntry(HMODULE module, HRSRC info, unsigned id, std::wstring& target) {
    HGLOBAL loaded = LoadResource(module, info);
    const auto* data = static_cast<const WCHAR*>(LockResource(loaded));
    const DWORD units = SizeofResource(module, info) / sizeof(WCHAR);
    if (data == nullptr) {
        return false;
    }
    DWORD position = 0;
    for (unsigned entry = 0; entry < id % 16; ++entry) {
        if (position >= units) {
            return false;
        }
        position += 1u + data[position];
    }
    if (position >= units || data[position] == 0 || position + 1u + data[position] > units) {
        return false;
    }
    target.assign(data + position + 1, data[position]);
    return true;
}

}  // namespace

std::vector<LANGID> resourceLanguageOrder() {
    const LANGID thread = LANGIDFROMLCID(GetThreadLocale());
    constexpr std::array<LANGID, 7> kShipped = {1033, 1031, 1036, 1038, 1040, 2070, 3082};
    std::vector<LANGID> order{thread};
    for (const LANGID shipped : kShipped) {
        if (PRIMARYLANGID(shipped) == PRIMARYLANGID(thread) && shipped != thread) {
            order.push_back(shipped);
        }
    }
    order.push_back(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    order.push_back(1033);
    return order;
}

std::string toNarrow(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int inLength = checkedLength(wide.size());
    const int length = WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), inLength, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring toWide(std::string_view narrow) {
    if (narrow.empty()) {
        return {};
    }
    const int inLength = checkedLength(narrow.size());
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), inLength, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), inLength, wide.data(), length);
    return wide;
}

bool loadResourceString(unsigned id, std::wstring& target) {
    if (id == 0 || id > 0xFFFF) {
        return false;
    }
    HMODULE module = GetModuleHandleW(nullptr);
    for (const LANGID language : resourceLanguageOrder()) {
        HRSRC info = findStringBlock(module, id, language);
        std::wstring text;
        if (info != nullptr && readStringEntry(module, info, id, text)) {
            target = std::move(text);
            return true;
        }
    }
    return false;
}

}  // namespace jlaunch
