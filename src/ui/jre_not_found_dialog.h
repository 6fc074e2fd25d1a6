#pragma once
// The dialog shown when no Java VM was found: it lets the user pick a folder
// that holds a Java runtime. What makes a folder acceptable is the caller's
// to judge (the dialog knows windows, not Java homes).
#include <optional>
#include <string>

#include "common/failure.h"
#include "common/function_ref.h"
#include "ui/jre_not_found_dialog_address.h"

namespace jlaunch {

// Where the dialog sends the user for a Java runtime.
inline constexpr wchar_t kJavaDownloadAddress[] = L"" JLAUNCH_JAVA_DOWNLOAD_ADDRESS;

struct JreChoice {
    std::wstring folder;          // chosen folder, with trailing separator
    std::wstring jvmLibraryPath;  // full path of the VM library inside it
};

// Judges a folder the user chose: the choice it makes possible, or why it
// makes none (shown under the field while OK stays disabled).
using JreFolderCheck = FunctionRef<Result<JreChoice>(const std::wstring& folder)>;

// The link's label for an address too wide for the dialog: its scheme and
// host followed by "/…"; the link still opens the whole address.
std::wstring shortLinkLabel(const std::wstring& address);

// Shows the dialog modally, owned by the currently active window, its link
// going to `address`; nothing when the user cancelled (Cancel, Esc, close
// box) or the dialog could not be shown. Linux has no dialog: the message and
// the download address go to standard error and nothing is chosen.
std::optional<JreChoice> showJreNotFoundDialog(const std::wstring& message, const std::wstring& address,
                                               JreFolderCheck check);

}  // namespace jlaunch
