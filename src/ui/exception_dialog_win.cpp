#include <windows.h>

#include <array>

#include "common/console_mode.h"
#include "common/messages.h"
#include "ui/dialog_win.h"
#include "ui/exception_dialog.h"
#include "ui/exception_dialog_win.h"

namespace jlaunch {

namespace {

// How a control follows the dialog's size: by the change of the client area's
// width and height.
enum ResizeRule : unsigned {
    kFixed = 0,
    kMoveRight = 1,
    kMoveDown = 2,
    kGrowWidth = 4,
    kGrowHeight = 8,
};

struct ControlRule {
    int id;
    unsigned rule;
};

constexpr std::array<ControlRule, 7> kControlRules = {{
    {kExceptionDialogFrame, kGrowWidth | kGrowHeight},
    {kExceptionDialogLabel, kGrowWidth},
    {kExceptionDialogTrace, kGrowWidth | kGrowHeight},
    {kExceptionDialogHint, kGrowWidth | kMoveDown},
    {kExceptionDialogWarning, kGrowWidth | kMoveDown},
    {IDOK, kMoveRight | kMoveDown},
    {IDCANCEL, kMoveRight | kMoveDown},
}};

struct FollowingControl {
    HWND window = nullptr;
    RECT initial{};  // in client coordinates, at the initial size
    unsigned rule = kFixed;
};

struct DialogState {
    std::wstring text;
    // One more than the rules: the size grip.
    std::array<FollowingControl, kControlRules.size() + 1> controls{};
    HWND grip = nullptr;
    SIZE initialClient{};
    POINT minimumTrackSize{};
    bool laidOut = false;
};

// An edit control breaks lines only at CR LF; a trace may come with bare LF.
std::wstring withWindowsLineEnds(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            result.push_back(L'\r');
        }
        result.push_back(text[i]);
    }
    return result;
}

RECT placeInClient(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The template has a fixed frame; a sizing frame is added with the client
// area kept at the template's size.
void makeResizable(HWND dialog) {
    RECT client{};
    GetClientRect(dialog, &client);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)) | WS_THICKFRAME | WS_CLIPCHILDREN;
    const auto extendedStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    SetWindowLongPtrW(dialog, GWL_STYLE, static_cast<LONG_PTR>(style));
    RECT frame = client;
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void recordLayout(HWND dialog, DialogState& state) {
    RECT client{};
    GetClientRect(dialog, &client);
    state.initialClient = {client.right, client.bottom};
    // The dialog destroys its children, the grip among them.
    state.grip = CreateWindowExW(
        0, L"ScrollBar", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
        0, 0, client.right, client.bottom, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    std::size_t count = 0;
    for (const ControlRule& rule : kControlRules) {
        if (HWND control = GetDlgItem(dialog, rule.id)) {
            state.controls[count++] = {control, placeInClient(dialog, control), rule.rule};
        }
    }
    if (state.grip != nullptr) {
        state.controls[count++] = {state.grip, placeInClient(dialog, state.grip), kMoveRight | kMoveDown};
    }
    RECT window{};
    GetWindowRect(dialog, &window);
    state.minimumTrackSize = {window.right - window.left, window.bottom - window.top};
    state.laidOut = true;
}

void followSize(HWND dialog, const DialogState& state, bool maximized) {
    RECT client{};
    GetClientRect(dialog, &client);
    const LONG dx = client.right - state.initialClient.cx;
    const LONG dy = client.bottom - state.initialClient.cy;
    for (const FollowingControl& control : state.controls) {
        if (control.window == nullptr) {
            continue;
        }
        RECT place = control.initial;
        if (control.rule & kMoveRight) {
            OffsetRect(&place, dx, 0);
        }
        if (control.rule & kMoveDown) {
            OffsetRect(&place, 0, dy);
        }
        if (control.rule & kGrowWidth) {
            place.right += dx;
        }
        if (control.rule & kGrowHeight) {
            place.bottom += dy;
        }
        SetWindowPos(control.window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (state.grip != nullptr) {
        // A maximised window cannot be sized, so the grip would only mislead.
        ShowWindow(state.grip, maximized ? SW_HIDE : SW_SHOW);
    }
    // Grown labels re-wrap their text and the transparent frame is drawn anew.
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, kExceptionDialogTrace, state->text.c_str());
        SendDlgItemMessageW(dialog, kExceptionDialogTrace, EM_SETREADONLY, TRUE, 0);
        makeResizable(dialog);
        recordLayout(dialog, *state);
        centreDialog(dialog);
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr || !state->laidOut) {
        return FALSE;
    }
    switch (message) {
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = state->minimumTrackSize;
            return TRUE;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                followSize(dialog, *state, wParam == SIZE_MAXIMIZED);
            }
            return TRUE;
        case WM_COMMAND:
            // Enter gives IDOK; Esc and the close box give IDCANCEL.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool showUncaughtExceptionDialog(const std::wstring& stackTrace) {
    if (consoleMode()) {
        // Nobody can answer on a console: the trace goes to standard error
        // and the application stops, as a dialog that cannot be shown decides.
        showError(nullptr, stackTrace);
        return true;
    }
    DialogState state;
    state.text = withWindowsLineEnds(stackTrace);
    return showModalDialog(kExceptionDialogResource, &dialogProc, reinterpret_cast<LPARAM>(&state)) != IDOK;
}

}  // namespace jlaunch
