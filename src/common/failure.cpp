#include "common/failure.h"

#include <array>
#include <type_traits>

#include "common/launch_error.h"

namespace jlaunch {

std::wstring failureText(const Failure& failure) {
    if (failure.message == kMsgNone) {
        return {};
    }
    // Texts of other messages are looked up first, so the views below stay valid.
    std::vector<std::wstring> texts;
    texts.reserve(failure.arguments.size());
    for (const FailureArgument& argument : failure.arguments) {
        const auto* id = std::get_if<MessageId>(&argument);
        texts.push_back(id != nullptr ? messageText(*id) : std::wstring());
    }
    std::vector<FormatArgument> arguments;
    for (std::size_t i = 0; i < failure.arguments.size(); ++i) {
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::wstring>) {
                    arguments.emplace_back(std::wstring_view(value));
                } else if constexpr (std::is_same_v<T, MessageId>) {
                    arguments.emplace_back(std::wstring_view(texts[i]));
                } else {
                    arguments.emplace_back(value);
                }
            },
            failure.arguments[i]);
    }
    std::wstring text = formatText(failure.message, arguments);
    for (const FailureArgument& line : failure.cause) {
        if (!text.empty() && text.back() != L'\n') {
            text.push_back(L'\n');
        }
        std::visit(
            [&text](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::wstring>) {
                    text += value;
                } else if constexpr (std::is_same_v<T, MessageId>) {
                    text += messageText(value);
                } else {
                    text += decimalText(value);
                }
            },
            line);
        text.push_back(L'\n');
    }
    return text;
}

Failure internalFailure(std::int32_t status) {
    if (status == LaunchError::kOutOfMemory) {
        return {kMsgInternalError, {kMsgReasonNoMemory}, {}};
    }
    constexpr std::array<wchar_t, 16> kDigits = {L'0', L'1', L'2', L'3', L'4', L'5', L'6', L'7',
                                                 L'8', L'9', L'A', L'B', L'C', L'D', L'E', L'F'};
    std::wstring code = L"0x";
    const auto bits = static_cast<std::uint32_t>(status);
    for (int shift = 28; shift >= 0; shift -= 4) {
        code.push_back(kDigits[(bits >> shift) & 0xFu]);
    }
    return {kMsgInternalError, {code}, {}};
}

void showFailure(WindowHandle owner, const Failure& failure) {
    if (failure.message == kMsgNone) {
        return;
    }
    showError(owner, failureText(failure));
    if (!failure.detail.empty()) {
        showPlatformDetail(failure.detail);
    }
}

}  // namespace jlaunch
