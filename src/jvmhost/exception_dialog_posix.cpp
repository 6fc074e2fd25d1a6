#include "jvmhost/exception_dialog.h"
#include "launcher/errors.h"

namespace jlaunch {

bool showUncaughtExceptionDialog(const std::wstring& stackTrace) {
    // Nobody can be asked, so the answer is the one a dialog that cannot be
    // shown gives.
    showError(nullptr, stackTrace);
    return true;
}

}  // namespace jlaunch
