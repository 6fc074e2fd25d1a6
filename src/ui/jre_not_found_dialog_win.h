#pragma once
// Windows side of the "JRE Not Found" dialog: its control ids, the shell's
// folder browser it opens, and the seam through which tests answer Browse.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace jlaunch {

enum JreDialogItem : int {
    kJreDialogResource = 201,
    kJreDialogPathEdit = 201,
    kJreDialogBrowse = 202,
    kJreDialogMessage = 203,
    kJreDialogIcon = 204,
    kJreDialogLink = 205,
    kJreDialogHint = 206,
    kJreDialogReason = 207,
};

// The shell's folder browser as Browse opens it: owned by `owner`, titled with
// message 214, file-system folders only, no button for new folders. Nothing
// when the user cancels it.
std::optional<std::wstring> browseForJreFolder(HWND owner);

// Replaces the folder browser that Browse opens, so that a test can hand the
// dialog a folder; an empty function restores the shell's browser. Called on
// the dialog's thread with the dialog as owner.
using FolderBrowser = std::function<std::optional<std::wstring>(HWND owner)>;
void setFolderBrowserForTesting(FolderBrowser browser);

}  // namespace jlaunch
