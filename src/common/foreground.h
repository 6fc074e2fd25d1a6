#pragma once
// The running application's own window, brought to the front when a later
// launch of it has nothing else to hand over.
namespace jlaunch {

// Windows: this process's first visible top-level window (in the order of
// the screen) is restored and activated; the launch that asked for it
// allowed this process to take the foreground. Linux: no portable way for
// an application to raise its window exists, so nothing. False when no
// window was activated.
bool bringApplicationToFront();

}  // namespace jlaunch
