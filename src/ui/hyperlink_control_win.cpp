#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <array>

#include "common/com_scope_win.h"
#include "common/system_library_win.h"
#include "common/text.h"
#include "ui/hyperlink_control.h"

namespace jlaunch {

namespace {

// Only a subclassed control calls it, after SetWindowSubclass loaded the library.
LRESULT defaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return systemFunction<decltype(&DefSubclassProc)>(SystemLibrary::CommonControls, "DefSubclassProc")(window, message,
                                                                                                        wParam, lParam);
}

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kToolId = 1;

// A window's device context, released to that window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// One decimal number as the C runtime's wtoi reads it (leading blanks, a sign,
// digits up to the first other character), taken modulo 256.
BYTE decimalModulo256(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    unsigned value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = (value * 10u + static_cast<unsigned>(text[i] - L'0')) % 256u;
    }
    if (negative) {
        value = (256u - value) % 256u;
    }
    return static_cast<BYTE>(value);
}

// A string value of at most 24 bytes that is empty or zero-terminated within
// its size; anything else counts as absent.
std::optional<std::wstring> readShortString(HKEY key, const wchar_t* name) {
    std::array<wchar_t, 12> buffer{};
    DWORD type = 0;
    auto size = static_cast<DWORD>(sizeof(buffer));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    const std::wstring_view text(buffer.data(), size / sizeof(wchar_t));
    if (text.empty()) {
        return std::wstring();
    }
    const auto end = text.find(L'\0');
    if (end == std::wstring_view::npos) {
        return std::nullopt;
    }
    return std::wstring(text.substr(0, end));
}

// The tooltip's larger tool record exists from Windows Vista (6.0) on.
bool isVistaOrLater() {
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    const DWORDLONG condition = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION, condition) != FALSE;
}

TTTOOLINFOW toolRecord(HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = isVistaOrLater() ? sizeof(TTTOOLINFOW) : TTTOOLINFOW_V2_SIZE;
    tool.hwnd = control;
    tool.uId = kToolId;
    return tool;
}

}  // namespace

std::optional<COLORREF> parseAnchorColor(std::wstring_view value) {
    const auto first = value.find(L',');
    if (first == std::wstring_view::npos) {
        return std::nullopt;
    }
    const auto second = value.find(L',', first + 1);
    if (second == std::wstring_view::npos || second + 1 == value.size()) {
        return std::nullopt;
    }
    return RGB(decimalModulo256(value.substr(0, first)), decimalModulo256(value.substr(first + 1, second - first - 1)),
               decimalModulo256(value.substr(second + 1)));
}

HyperLinkControl::HyperLinkControl(COLORREF linkColor, COLORREF visitedColor)
    : linkColor_(linkColor), visitedColor_(visitedColor) {}

HyperLinkControl::~HyperLinkControl() {
    release();
}

bool HyperLinkControl::takeOver(HWND control, HFONT font, const std::wstring& address) {
    if (control_ != nullptr || control == nullptr || !IsWindow(control)) {
        return false;
    }
    const auto subclass =
        systemFunction<decltype(&SetWindowSubclass)>(SystemLibrary::CommonControls, "SetWindowSubclass");
    if (subclass == nullptr ||
        !subclass(control, &HyperLinkControl::subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    control_ = control;

    // A static control only sees the mouse with the notify style.
    std::array<wchar_t, 16> className{};
    if (GetClassNameW(control_, className.data(), static_cast<int>(className.size())) > 0 &&
        equalsIgnoringCase(className.data(), L"static")) {
        SetWindowLongPtrW(control_, GWL_STYLE, GetWindowLongPtrW(control_, GWL_STYLE) | SS_NOTIFY);
    }
    handCursor_ = LoadCursorW(nullptr, IDC_HAND);

    normalFont_ = font;
    if (normalFont_ == nullptr) {
        LOGFONTW iconTitle{};
        if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0)) {
            ownNormalFont_.reset(CreateFontIndirectW(&iconTitle));
            normalFont_ = static_cast<HFONT>(ownNormalFont_.get());
        }
    }
    makeLinkFont();

    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    if (const auto initialize =
            systemFunction<decltype(&InitCommonControlsEx)>(SystemLibrary::CommonControls, "InitCommonControlsEx")) {
        initialize(&classes);
    }
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, control_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));

    label_.assign(static_cast<std::size_t>(GetWindowTextLengthW(control_)) + 1, L'\0');
    label_.resize(static_cast<std::size_t>(GetWindowTextW(control_, label_.data(), static_cast<int>(label_.size()))));
    updateLinkRect();

    address_ = address.empty() ? label_ : address;
    if (tooltip_) {
        TTTOOLINFOW tool = toolRecord(control_);
        tool.rect = linkRect_;
        tool.lpszText = address_.data();
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    readUserColors();
    return true;
}

void HyperLinkControl::readUserColors() {
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0, KEY_QUERY_VALUE,
                      key.out()) != ERROR_SUCCESS) {
        return;
    }
    if (const auto text = readShortString(key.get(), L"Anchor Color")) {
        linkColor_ = parseAnchorColor(*text).value_or(linkColor_);
    }
    if (const auto text = readShortString(key.get(), L"Anchor Color Visited")) {
        visitedColor_ = parseAnchorColor(*text).value_or(visitedColor_);
    }
}

void HyperLinkControl::makeLinkFont() {
    LOGFONTW description{};
    HGDIOBJ base = normalFont_ != nullptr ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(DEFAULT_GUI_FONT);
    linkFont_.reset();
    if (GetObjectW(base, sizeof(description), &description) == sizeof(description)) {
        description.lfUnderline = TRUE;
        linkFont_.reset(CreateFontIndirectW(&description));
    }
}

void HyperLinkControl::updateLinkRect() {
    RECT client{};
    GetClientRect(control_, &client);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control_, GWL_STYLE)) & SS_TYPEMASK;
    RECT text = client;
    {
        const WindowDc dc(control_);
        if (dc.get() == nullptr) {
            return;
        }
        const HGDIOBJ previous = linkFont_ ? SelectObject(dc.get(), linkFont_.get()) : nullptr;
        DrawTextW(dc.get(), label_.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        if (previous != nullptr) {
            SelectObject(dc.get(), previous);
        }
    }
    const LONG freeWidth = (client.right - client.left) - (text.right - text.left);
    if (style == SS_CENTER) {
        OffsetRect(&text, freeWidth / 2, 0);
    } else if (style == SS_RIGHT) {
        OffsetRect(&text, freeWidth, 0);
    }
    linkRect_ = text;
    if (tooltip_) {
        TTTOOLINFOW tool = toolRecord(control_);
        tool.rect = linkRect_;
        SendMessageW(tooltip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool HyperLinkControl::isOverLink(POINT point) const {
    return PtInRect(&linkRect_, point) != FALSE;
}

void HyperLinkControl::activate() {
    const ComScope com;
    // No error box of the shell's own: a failed opening shows nothing.
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof(request);
    request.fMask = SEE_MASK_FLAG_NO_UI;
    request.lpVerb = L"open";
    request.lpFile = address_.c_str();
    request.nShow = SW_SHOWNORMAL;
    const auto execute = systemFunction<decltype(&ShellExecuteExW)>(SystemLibrary::Shell, "ShellExecuteExW");
    if (execute != nullptr && execute(&request) && reinterpret_cast<INT_PTR>(request.hInstApp) > 32) {
        visited_ = true;
        InvalidateRect(control_, nullptr, TRUE);
    }
}

void HyperLinkControl::paint(HDC dc) {
    RECT client{};
    GetClientRect(control_, &client);
    if (HWND parent = GetParent(control_)) {
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control_)));
        if (brush != nullptr) {
            FillRect(dc, &client, brush);
        }
    }
    const int saved = SaveDC(dc);
    if (linkFont_) {
        SelectObject(dc, linkFont_.get());
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(control_) ? GetSysColor(COLOR_GRAYTEXT) : visited_ ? visitedColor_ : linkColor_);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control_, GWL_STYLE)) & SS_TYPEMASK;
    const UINT alignment = style == SS_CENTER ? DT_CENTER : style == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    DrawTextW(dc, label_.c_str(), -1, &client, DT_WORDBREAK | DT_NOPREFIX | alignment);
    if (GetFocus() == control_) {
        DrawFocusRect(dc, &linkRect_);
    }
    RestoreDC(dc, saved);
}

LRESULT CALLBACK HyperLinkControl::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR /*id*/, DWORD_PTR self) {
    auto* link = reinterpret_cast<HyperLinkControl*>(self);
    if (link == nullptr || link->control_ != window) {
        return defaultSubclassProc(window, message, wParam, lParam);
    }
    return link->handle(message, wParam, lParam);
}

LRESULT HyperLinkControl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = control_;
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && tooltip_) {
        MSG relayed{window, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        const DWORD position = GetMessagePos();
        relayed.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
        SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            if (HDC dc = BeginPaint(window, &ps)) {
                paint(dc);
                EndPaint(window, &ps);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            updateLinkRect();
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_MOUSEMOVE:
            if (isOverLink(point)) {
                SetCursor(handCursor_);
                return 0;
            }
            break;
        case WM_SETCURSOR: {
            POINT cursor{};
            if (GetCursorPos(&cursor) && ScreenToClient(window, &cursor) && isOverLink(cursor)) {
                SetCursor(handCursor_);
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (isOverLink(point)) {
                SetFocus(window);
                SetCapture(window);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (GetCapture() == window) {
                ReleaseCapture();
                if (isOverLink(point)) {
                    activate();
                }
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                activate();
                return 0;
            }
            break;
        case WM_GETDLGCODE: {
            // Enter would otherwise press the dialog's default button instead
            // of reaching the focused link.
            const auto* pending = reinterpret_cast<const MSG*>(lParam);
            const bool enter = pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN;
            return DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
        }
        case WM_UPDATEUISTATE:
            return 0;
        case WM_SETFONT:
            if (reinterpret_cast<HGDIOBJ>(wParam) != ownNormalFont_.get()) {
                ownNormalFont_.reset();
            }
            normalFont_ = reinterpret_cast<HFONT>(wParam);
            makeLinkFont();
            updateLinkRect();
            if (LOWORD(lParam) != 0) {
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(normalFont_);
        case WM_DESTROY:
            tooltip_.reset();
            linkFont_.reset();
            ownNormalFont_.reset();
            normalFont_ = nullptr;
            break;
        case WM_NCDESTROY:
            release();
            return defaultSubclassProc(window, message, wParam, lParam);
        default:
            break;
    }
    return defaultSubclassProc(window, message, wParam, lParam);
}

void HyperLinkControl::release() {
    if (control_ != nullptr) {
        systemFunction<decltype(&RemoveWindowSubclass)>(SystemLibrary::CommonControls, "RemoveWindowSubclass")(
            control_, &HyperLinkControl::subclassProc, kSubclassId);
        control_ = nullptr;
    }
    tooltip_.reset();
    linkFont_.reset();
    ownNormalFont_.reset();
    normalFont_ = nullptr;
}

}  // namespace jlaunch
