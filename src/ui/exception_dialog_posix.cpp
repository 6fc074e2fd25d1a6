#include "ui/exception_dialog.h"
#include "common/messages.h"

namespace jlaunch {

bool showUncaughtExceptionDialog(const std::wstring& stackTrace) {
    // Nobody can be asked, so the answer is the one a dialog that cannot be
    // shown gives.
    showError(nullptr, stackTrace);
    return true;
}

}  // namespace jlaunch
