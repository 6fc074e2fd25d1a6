#pragma once
// The message table and the message box: every text the user reads comes
// from here, in the user-interface language.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "common/text.h"

namespace jlaunch {

// Ids of the message table, named where the texts are written.
enum MessageId : unsigned {
    kMsgNone = 0,
#define MESSAGE(id, name, text) kMsg##name = (id),
#include "strings/messages_1033.inc"
#undef MESSAGE
};

// The owner of a message box: a window handle, or null for none.
using WindowHandle = void*;

// A message text, or the id of a message in the table (0 means none).
using MessageText = std::variant<unsigned, std::wstring>;

// Shows one modal error box; returns the button that closed it, or 0 when
// nothing could be shown. On Linux the text goes to standard error.
int showError(WindowHandle owner, const MessageText& text, const MessageText& caption = 0u);

// The title of message boxes shown without a caption of their own: the
// application's name, so the user knows which program speaks. Set by the
// launcher before any other thread exists; empty: the system's default.
void setMessageTitle(std::wstring title);
const std::wstring& messageTitle();

// The text of a message of the table; empty for 0 or a missing id.
std::wstring messageText(unsigned id);

// Where the platform has more to say about a failure than its error number
// (the dynamic loader's reason on Linux), it is added to the report.
void showPlatformDetail(const std::wstring& detail);

// The message box as the platform shows it; the text is final.
int showPlatformMessage(WindowHandle owner, const std::wstring& text, const std::wstring* caption);

}  // namespace jlaunch
