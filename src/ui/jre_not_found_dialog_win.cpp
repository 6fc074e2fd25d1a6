#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <array>
#include <mutex>

#include "common/com_scope_win.h"
#include "common/console_mode.h"
#include "common/failure.h"
#include "common/handles_win.h"
#include "common/messages.h"
#include "common/system_library_win.h"
#include "ui/dialog_win.h"
#include "ui/hyperlink_control.h"
#include "ui/jre_not_found_dialog.h"
#include "ui/jre_not_found_dialog_win.h"

namespace jlaunch {

namespace {

struct DialogState {
    std::wstring message;
    std::wstring address;
    JreFolderCheck check;
    std::optional<JreChoice> choice;  // while OK is enabled
    HyperLinkControl link{kDefaultLinkColor, kDefaultVisitedLinkColor};
};

// Dialog units from the link's left edge to the group box's right edge.
constexpr LONG kWideLinkWidth = 160;

std::mutex testBrowserMutex;
FolderBrowser testBrowser;

std::optional<std::wstring> chooseFolder(HWND owner) {
    FolderBrowser browser;
    {
        const std::lock_guard lock(testBrowserMutex);
        browser = testBrowser;
    }
    return browser ? browser(owner) : browseForJreFolder(owner);
}

// A packager's address is longer than the default: the link takes the
// group's whole width, and an address wider still shows only its host.
void showPackagersAddress(HWND dialog, HWND link, const std::wstring& address) {
    RECT wide{0, 0, kWideLinkWidth, 0};
    MapDialogRect(dialog, &wide);
    RECT place{};
    GetWindowRect(link, &place);
    SetWindowPos(link, nullptr, 0, 0, wide.right, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::wstring label = address;
    HDC dc = GetDC(link);
    if (dc != nullptr) {
        const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(link, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(link, dc);
        if (extent.cx > wide.right) {
            label = shortLinkLabel(address);
        }
    }
    SetWindowTextW(link, label.c_str());
}

void browse(HWND dialog, DialogState& state) {
    const std::optional<std::wstring> chosen = chooseFolder(dialog);
    if (!chosen) {
        return;  // a cancelled browser keeps the earlier choice
    }
    SetDlgItemTextW(dialog, kJreDialogPathEdit, chosen->c_str());
    Result<JreChoice> choice = state.check(*chosen);
    state.choice = choice ? std::optional<JreChoice>(*std::move(choice)) : std::nullopt;
    EnableWindow(GetDlgItem(dialog, IDOK), state.choice ? TRUE : FALSE);
    // A grey OK alone does not tell the user what is wrong with the folder.
    const std::wstring reason = choice ? std::wstring() : failureText(choice.failure());
    SetDlgItemTextW(dialog, kJreDialogReason, reason.c_str());
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        HWND link = GetDlgItem(dialog, kJreDialogLink);
        if (state->address != kJavaDownloadAddress) {
            showPackagersAddress(dialog, link, state->address);
        }
        state->link.takeOver(link, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), state->address);
        SetDlgItemTextW(dialog, kJreDialogMessage, state->message.c_str());
        SendDlgItemMessageW(dialog, kJreDialogIcon, STM_SETICON,
                            reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_ERROR)), 0);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        centreDialog(dialog);
        // With OK disabled, Browse is what the user has to do.
        SetFocus(GetDlgItem(dialog, kJreDialogBrowse));
        return FALSE;
    }
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state == nullptr) {
        return FALSE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
        case kJreDialogBrowse:
            browse(dialog, *state);
            return TRUE;
        case IDOK:
            // Enter reaches here even while OK is disabled.
            if (state->choice) {
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<std::wstring> browseForJreFolder(HWND owner) {
    const ComScope com;
    std::wstring title;
    loadResourceString(kMsgBrowseForJre, title);
    std::array<wchar_t, MAX_PATH> displayName{};
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.pszDisplayName = displayName.data();
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    const auto browse = systemFunction<decltype(&SHBrowseForFolderW)>(SystemLibrary::Shell, "SHBrowseForFolderW");
    const auto pathOf = systemFunction<decltype(&SHGetPathFromIDListW)>(SystemLibrary::Shell, "SHGetPathFromIDListW");
    if (browse == nullptr || pathOf == nullptr) {
        return std::nullopt;
    }
    const UniqueTaskMemory chosen(browse(&request));
    std::array<wchar_t, MAX_PATH> path{};
    if (!chosen || !pathOf(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path.data())) {
        return std::nullopt;
    }
    return std::wstring(path.data());
}

void setFolderBrowserForTesting(FolderBrowser browser) {
    const std::lock_guard lock(testBrowserMutex);
    testBrowser = std::move(browser);
}

std::optional<JreChoice> showJreNotFoundDialog(const std::wstring& message, const std::wstring& address,
                                               JreFolderCheck check) {
    if (consoleMode()) {
        // The message ends with "from:"; the address follows where the
        // dialog would show the link, and nothing is chosen.
        showError(nullptr, message + L"\n" + address);
        return std::nullopt;
    }
    DialogState state{.message = message, .address = address, .check = check, .choice = std::nullopt};
    const INT_PTR result = showModalDialog(kJreDialogResource, &dialogProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? state.choice : std::nullopt;
}

}  // namespace jlaunch
