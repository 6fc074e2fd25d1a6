#pragma once
// Messages the user or packager can act on, shown where the failure happens.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "common/text.h"

namespace jlaunch {

// Message ids of the string table.
enum MessageId : unsigned {
    kMsgWindowsException = 202,
    kMsgJniException = 203,
    kMsgComError = 204,
    kMsgJniExceptionShort = 205,
    kMsgJreNotFoundServer = 206,
    kMsgJreNotFound = 207,
    kMsgModulePathFailed = 208,
    kMsgClassPathMissing = 209,
    kMsgMainClassMissing = 210,
    kMsgMainClassLoadFailed = 211,
    kMsgCreateJavaVmMissing = 212,
    kMsgCreateJavaVmFailed = 213,
    kMsgBrowseForJre = 214,
    kMsgMainClassNotFound = 215,
    kMsgMainMethodNotFound = 216,
    kMsgLatestVersion = 217,
    kMsgMaximumVersion = 218,
    kMsgMinimumVersion = 219,
    kMsgVersionRequired = 220,
    kMsgVersionBetween = 221,
    kMsgJvmLibraryLoadFailed = 222,
    kMsgFailedToInitialize = 223,
    kMsgFailedToInitializeModule = 224,
    kMsgReasonUnknown = 225,
    kMsgReasonDetached = 226,
    kMsgReasonVersion = 227,
    kMsgReasonNoMemory = 228,
    kMsgReasonExists = 229,
    kMsgReasonInvalid = 230,
};

// The owner of a message box: a window handle, or null for none.
using WindowHandle = void*;

// A message text, or the id of a message in the table (0 means none).
using MessageText = std::variant<unsigned, std::wstring>;

// Shows one modal error box; returns the button that closed it, or 0 when
// nothing could be shown. On Linux the text goes to standard error.
int showError(WindowHandle owner, const MessageText& text, const MessageText& caption = 0u);

// Formats `format` printf-style and shows it through showError.
int showFormattedError(WindowHandle owner, const std::wstring& format, const std::vector<FormatArgument>& arguments);

// Message 202 with the text of `argumentId` and a system error number.
int showSystemError(WindowHandle owner, unsigned argumentId, std::uint32_t errorNumber);

// The text of a message of the table; empty for 0 or a missing id.
std::wstring messageText(unsigned id);

// Where the platform has more to say about a failure than its error number
// (the dynamic loader's reason on Linux), it is added to the report.
void showPlatformDetail(const std::wstring& detail);

// The message box as the platform shows it; the text is final.
int showPlatformMessage(WindowHandle owner, const std::wstring& text, const std::wstring* caption);

}  // namespace jlaunch
