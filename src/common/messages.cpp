#include "common/messages.h"

namespace jlaunch {

namespace {

// The text of a message; an id missing from the table gives the empty text.
std::wstring resolve(const MessageText& message) {
    if (const auto* text = std::get_if<std::wstring>(&message)) {
        return *text;
    }
    return messageText(std::get<unsigned>(message));
}

std::wstring applicationTitle;

}  // namespace

void setMessageTitle(std::wstring text) {
    applicationTitle = std::move(text);
}

const std::wstring& messageTitle() {
    return applicationTitle;
}

std::wstring messageText(unsigned id) {
    std::wstring text;
    if (id != 0) {
        loadResourceString(id, text);
    }
    return text;
}

int showError(WindowHandle owner, const MessageText& text, const MessageText& caption) {
    const std::wstring body = resolve(text);
    const bool hasCaption = std::holds_alternative<std::wstring>(caption) || std::get<unsigned>(caption) != 0;
    const std::wstring title = hasCaption ? resolve(caption) : std::wstring();
    return showPlatformMessage(owner, body, hasCaption ? &title : nullptr);
}

}  // namespace jlaunch
