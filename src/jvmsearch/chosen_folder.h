#pragma once
// What a folder chosen in the "JRE Not Found" dialog offers, and where the
// dialog's link leads.
#include <optional>
#include <string>

#include "common/failure.h"
#include "settings/launcher_settings.h"
#include "ui/jre_not_found_dialog.h"

namespace jlaunch {

// The VM library a folder chosen by the user offers for this type, or nothing
// (then OK stays disabled). An empty or relative folder offers nothing.
std::optional<JreChoice> evaluateChosenFolder(const std::wstring& folder, JvmType type);

// Why evaluateChosenFolder offers nothing for a folder: no Java runtime in
// it (message 261, naming the file that marks one), or a runtime without a
// VM library the type can use (262, naming the VM folders looked in).
Failure refusedFolderReason(const std::wstring& folder, JvmType type);

// Both in one: the dialog's check of a chosen folder.
Result<JreChoice> checkChosenFolder(const std::wstring& folder, JvmType type);

// The address the dialog links to: "Download URL" when it is a web address
// (http or https), else the default; a link never opens a program or a file.
std::wstring downloadAddress(const std::wstring& setting);

}  // namespace jlaunch
