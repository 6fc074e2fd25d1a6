#pragma once
// The dialog shown when no Java VM was found: it lets the user pick a folder
// that holds a Java runtime.
#include <optional>
#include <string>

#include "common/failure.h"
#include "jvmsearch/jre_not_found_dialog_address.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Where the dialog sends the user for a Java runtime.
inline constexpr wchar_t kJavaDownloadAddress[] = L"" JLAUNCH_JAVA_DOWNLOAD_ADDRESS;

struct JreChoice {
    std::wstring folder;          // chosen folder, with trailing separator
    std::wstring jvmLibraryPath;  // full path of the VM library inside it
};

// The VM library a folder chosen by the user offers for this type, or nothing
// (then OK stays disabled). An empty or relative folder offers nothing.
std::optional<JreChoice> evaluateChosenFolder(const std::wstring& folder, JvmType type);

// Why evaluateChosenFolder offers nothing for a folder: no Java runtime in
// it (message 261, naming the file that marks one), or a runtime without a
// VM library the type can use (262, naming the VM folders looked in).
Failure refusedFolderReason(const std::wstring& folder, JvmType type);

// The address the dialog links to: "Download URL" when it is a web address
// (http or https), else the default; a link never opens a program or a file.
std::wstring downloadAddress(const std::wstring& setting);

// The link's label for an address too wide for the dialog: its scheme and
// host followed by "/…"; the link still opens the whole address.
std::wstring shortLinkLabel(const std::wstring& address);

// Shows the dialog modally, owned by the currently active window, its link
// going to `address`; nothing when the user cancelled (Cancel, Esc, close
// box) or the dialog could not be shown. Linux has no dialog: the message and
// the download address go to standard error and nothing is chosen.
std::optional<JreChoice> showJreNotFoundDialog(const std::wstring& message, JvmType type,
                                               const std::wstring& address = kJavaDownloadAddress);

}  // namespace jlaunch
