#pragma once
// Windows side of the uncaught exception dialog: its resource and control ids.

namespace jlaunch {

enum ExceptionDialogItem : int {
    kExceptionDialogResource = 231,
    kExceptionDialogIcon = 204,
    kExceptionDialogTrace = 208,
    kExceptionDialogFrame = 209,
    kExceptionDialogLabel = 210,
    kExceptionDialogHint = 211,
    kExceptionDialogWarning = 212,
};

}  // namespace jlaunch
