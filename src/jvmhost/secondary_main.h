#pragma once
// A forwarded launch handed to the application: the main class's static
// secondaryMain(String[]) called on the calling thread.
#include <jni.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace jlaunch {

enum class SecondaryMainOutcome { Served, Failed, Missing };

// Attaches the calling thread to the VM and calls secondaryMain of
// `mainClassName` (slash form) with `arguments`. A void secondaryMain is
// answered 0 before the call; an int one is answered with its result after
// it, or -1 when it throws. Failed when the call could not be made or threw
// (the exception printed); then no answer is sent unless one was already.
// Missing, with nothing printed or answered, when the class has no
// secondaryMain: the caller decides what a launch without one means.
// The thread detaches again unless `stayAttached`.
SecondaryMainOutcome callSecondaryMain(JavaVM* vm, const std::wstring& mainClassName, bool stayAttached,
                                       const std::vector<std::wstring>& arguments,
                                       const std::function<void(std::int32_t)>& answer);

}  // namespace jlaunch
