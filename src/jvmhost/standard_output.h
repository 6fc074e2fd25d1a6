#pragma once
// The runtime prints some refusals on the Java standard output stream, not
// through the VM's print hook: the boot layer's ("Module X not found"),
// while the VM is created. The GUI exe has no console for them (and often no
// standard output at all), so there that stream goes through the launcher,
// which keeps it with the VM's other words while the VM starts.
namespace jlaunch {

// Before the VM is created, in the GUI build: the standard output becomes a
// pipe the launcher reads for as long as the process lives, passing it on
// to the former one, if any.
void captureStandardOutput();

// Waits (bounded) until what was written there so far is kept and passed on:
// before the process ends, and before what the VM said is read.
void settleStandardOutput() noexcept;

}  // namespace jlaunch
