#pragma once
// The dialog that shows the stack trace of an exception thrown out of the
// Java main method and asks whether the application is to go on.
#include <string>

namespace jlaunch {

// Shows `stackTrace` modally, owned by the thread's active window. True when
// the application is to stop: Stop, Esc, the close box, or a dialog that
// could not be shown; false for Ignore. Linux has no dialog: the trace goes
// to standard error and the answer is to stop.
bool showUncaughtExceptionDialog(const std::wstring& stackTrace);

}  // namespace jlaunch
