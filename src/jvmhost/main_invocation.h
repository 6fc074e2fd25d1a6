#pragma once
// Finds the main class and calls its main method on the Java thread.
namespace jlaunch {

class Launcher;

// False after any failure before main was called (its message shown);
// after main, true when the Java thread detached cleanly.
bool invokeMain(Launcher& launcher);

}  // namespace jlaunch
