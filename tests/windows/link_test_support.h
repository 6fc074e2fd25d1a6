#pragma once
// What the link control's tests and the "JRE Not Found" dialog's tests share:
// turns between test processes, the user's link colours, and the pixels a
// control draws.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/unique_resource.h"
#include "launch_helper.h"

namespace jlaunch::test {

// Shared state of the test processes: the user's link colours live in the
// registry of the one Wine prefix, so tests that read or write them take turns.

using MutexOwnership = ClosedBy<HANDLE, &ReleaseMutex>;

using UniqueKey = UniqueRegistryKey;

inline constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Internet Explorer\\Settings";

// One test at a time among the test processes holds a turn of this name.
class TestTurn {
public:
    explicit TestTurn(const wchar_t* name) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
        if (mutex_ && WaitForSingleObject(mutex_.get(), 60000) != WAIT_TIMEOUT) {
            owned_.reset(mutex_.get());
        }
    }
    bool held() const { return owned_.valid(); }

private:
    UniqueHandle mutex_;
    UniqueResource<MutexOwnership> owned_;
};

// Holds the link colour values of the current user for one test: they are
// removed at the start (defaults apply) and put back as they were at the end.
class UserLinkColors {
public:
    UserLinkColors() {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &key, nullptr);
        key_.reset(key);
        for (auto* name : {L"Anchor Color", L"Anchor Color Visited"}) {
            Saved saved{name, 0, {}};
            DWORD size = 0;
            if (RegQueryValueExW(key_.get(), name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
                saved.bytes.resize(size);
                RegQueryValueExW(key_.get(), name, nullptr, &saved.type, saved.bytes.data(), &size);
                saved_.push_back(saved);
            }
            RegDeleteValueW(key_.get(), name);
        }
    }
    ~UserLinkColors() {
        for (auto* name : {L"Anchor Color", L"Anchor Color Visited"}) {
            RegDeleteValueW(key_.get(), name);
        }
        for (const auto& saved : saved_) {
            RegSetValueExW(key_.get(), saved.name, 0, saved.type, saved.bytes.data(),
                           static_cast<DWORD>(saved.bytes.size()));
        }
    }
    UserLinkColors(const UserLinkColors&) = delete;
    UserLinkColors& operator=(const UserLinkColors&) = delete;

    bool ready() const { return turn_.held() && key_.valid(); }

    // A string value with its terminating zero, or the raw bytes given.
    void set(const wchar_t* name, const std::wstring& text) const {
        setBytes(name, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    void setBytes(const wchar_t* name, const void* bytes, std::size_t size) const {
        RegSetValueExW(key_.get(), name, 0, REG_SZ, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size));
    }

private:
    struct Saved {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    TestTurn turn_{L"jlaunch-tests-anchor-color"};
    UniqueKey key_;
    std::vector<Saved> saved_;
};

// Every pixel of the control's client area as the control draws it.
class Picture {
public:
    explicit Picture(HWND control) {
        RECT client{};
        GetClientRect(control, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        if (bitmap != nullptr && memory != nullptr) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
            GdiFlush();
            const auto* pixels = static_cast<const DWORD*>(bits);
            pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
            SelectObject(memory, previous);
        }
        if (memory != nullptr) {
            DeleteDC(memory);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }

    COLORREF at(LONG x, LONG y) const {
        const DWORD pixel = pixels_.at(static_cast<std::size_t>(y * width_ + x));
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    int count(COLORREF color, const RECT* within = nullptr) const {
        int n = 0;
        for (LONG y = 0; y < height_; ++y) {
            for (LONG x = 0; x < width_; ++x) {
                const POINT point{x, y};
                if ((within == nullptr || PtInRect(within, point)) && at(x, y) == color) {
                    ++n;
                }
            }
        }
        return n;
    }
    // The longest run of one colour in a row: an underline is one.
    LONG longestRun(COLORREF color) const {
        LONG longest = 0;
        for (LONG y = 0; y < height_; ++y) {
            LONG run = 0;
            for (LONG x = 0; x < width_; ++x) {
                run = at(x, y) == color ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    }
    // The leftmost and rightmost columns with the colour; {-1, -1} without.
    std::pair<LONG, LONG> columns(COLORREF color) const {
        LONG first = -1;
        LONG last = -1;
        for (LONG y = 0; y < height_; ++y) {
            for (LONG x = 0; x < width_; ++x) {
                if (at(x, y) == color) {
                    first = first < 0 ? x : std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        return {first, last};
    }

private:
    LONG width_ = 0;
    LONG height_ = 0;
    std::vector<DWORD> pixels_;
};

// What the link control's tooltip `tip` holds for `control` (its one tool):
// the text it shows and the area it shows it over.
struct TooltipTool {
    std::wstring text;
    RECT area{};
};
inline std::optional<TooltipTool> tooltipTool(HWND tip, HWND control) {
    std::wstring text(80, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = control;
    tool.uId = 1;
    tool.lpszText = text.data();
    DWORD_PTR found = 0;
    SendMessageTimeoutW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool), SMTO_ABORTIFHUNG, 3000, &found);
    if (found == 0) {
        return std::nullopt;
    }
    text.resize(text.find(L'\0'));
    return TooltipTool{text, tool.rect};
}

}  // namespace jlaunch::test
