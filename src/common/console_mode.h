#pragma once
// Whether this launcher is the console build (jlaunchc.exe): its messages go
// to standard error, and what the GUI build asks in a dialog is answered as
// nobody there could answer it. Set once by the entry point.
namespace jlaunch {

void setConsoleMode(bool console);
bool consoleMode();

}  // namespace jlaunch
