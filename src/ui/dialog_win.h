#pragma once
// What the launcher's dialogs share: their templates in the user-interface
// language, modal showing, and their place on the screen.
#include <windows.h>

namespace jlaunch {

// Dialog template `id` of `module` in the language the string table is read
// in: the thread's language, the same language of another country, what the
// system picks for a neutral lookup, then English. Null when there is none.
const DLGTEMPLATE* findDialogTemplate(HMODULE module, unsigned id);

// Shows dialog `id` of this executable modally, owned by the thread's active
// window, with `parameter` as the WM_INITDIALOG parameter. The value given to
// EndDialog, or -1 when the dialog could not be shown.
INT_PTR showModalDialog(unsigned id, DLGPROC procedure, LPARAM parameter);

// Centres the dialog over its owner when the owner is visible and not
// minimised, otherwise over the work area of the nearest monitor; then moves
// it as little as needed to lie inside that monitor's work area.
void centreDialog(HWND dialog);

}  // namespace jlaunch
