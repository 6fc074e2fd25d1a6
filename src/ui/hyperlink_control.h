#pragma once
// Windows only: turns a static text control into a link that opens its text
// with the shell (underlined, link colours, hand cursor, tooltip, keyboard).
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/handles_win.h"

namespace jlaunch {

inline constexpr COLORREF kDefaultLinkColor = RGB(0, 0, 255);
inline constexpr COLORREF kDefaultVisitedLinkColor = RGB(128, 0, 128);

// An "Anchor Color" value, "red,green,blue" in decimal, each number taken
// modulo 256; nothing for fewer than two commas or nothing after the second.
std::optional<COLORREF> parseAnchorColor(std::wstring_view value);

class HyperLinkControl {
public:
    HyperLinkControl(COLORREF linkColor = kDefaultLinkColor, COLORREF visitedColor = kDefaultVisitedLinkColor);
    ~HyperLinkControl();
    HyperLinkControl(const HyperLinkControl&) = delete;
    HyperLinkControl& operator=(const HyperLinkControl&) = delete;

    // Subclasses the control (on its own thread) and starts the link. `font`
    // is the font to draw with; null takes the system's icon-title font. The
    // user's "Anchor Color" and "Anchor Color Visited" replace the colours.
    // False when the control cannot be taken over or already was. The link
    // opens `address`, or the label when that is empty.
    bool takeOver(HWND control, HFONT font, const std::wstring& address = {});

    HWND window() const { return control_; }
    bool visited() const { return visited_; }
    COLORREF linkColor() const { return linkColor_; }
    COLORREF visitedColor() const { return visitedColor_; }
    // Where the label lies in the control's client area.
    RECT linkRect() const { return linkRect_; }

private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);
    void makeLinkFont();
    void updateLinkRect();
    bool isOverLink(POINT point) const;
    void activate();
    void readUserColors();
    void release();

    COLORREF linkColor_;
    COLORREF visitedColor_;
    HWND control_ = nullptr;
    HFONT normalFont_ = nullptr;
    UniqueGdiObject ownNormalFont_;  // set when the control made the normal font
    UniqueGdiObject linkFont_;
    UniqueWindow tooltip_;          // an owned popup: may already be gone with its owner
    HCURSOR handCursor_ = nullptr;  // shared system cursor, never destroyed
    std::wstring label_;
    std::wstring address_;
    RECT linkRect_{};
    bool visited_ = false;
};

}  // namespace jlaunch
