#include "launcher/errors.h"

namespace jlaunch {

namespace {

// The text of a message; an id missing from the table gives the empty text.
std::wstring resolve(const MessageText& message) {
    if (const auto* text = std::get_if<std::wstring>(&message)) {
        return *text;
    }
    std::wstring loaded;
    loadResourceString(std::get<unsigned>(message), loaded);
    return loaded;
}

}  // namespace

int showError(WindowHandle owner, const MessageText& text, const MessageText& caption) {
    const std::wstring body = resolve(text);
    const bool hasCaption = std::holds_alternative<std::wstring>(caption) || std::get<unsigned>(caption) != 0;
    const std::wstring title = hasCaption ? resolve(caption) : std::wstring();
    return showPlatformMessage(owner, body, hasCaption ? &title : nullptr);
}

int showFormattedError(WindowHandle owner, const std::wstring& format, const std::vector<FormatArgument>& arguments) {
    return showError(owner, formatText(format, arguments));
}

int showSystemError(WindowHandle owner, unsigned argumentId, std::uint32_t errorNumber) {
    std::wstring format;
    std::wstring argument;
    loadResourceString(kMsgWindowsException, format);
    loadResourceString(argumentId, argument);
    return showFormattedError(owner, format, {std::wstring_view(argument), errorNumber});
}

}  // namespace jlaunch
