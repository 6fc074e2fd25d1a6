#include "ui/jre_not_found_dialog.h"
#include "common/messages.h"

namespace jlaunch {

std::optional<JreChoice> showJreNotFoundDialog(const std::wstring& message, const std::wstring& address,
                                               JreFolderCheck /*check*/) {
    // The message ends with "from:"; on a terminal the address follows it
    // where the dialog would show the link.
    showError(nullptr, message + L"\n" + address);
    return std::nullopt;
}

}  // namespace jlaunch
