#pragma once
// The Java thread: creates the VM, redirects its streams and runs main.
#include "common/failure.h"
#include "jvmhost/jvm_session.h"
#include "jvmhost/launch_plan.h"
#include "jvmhost/main_invocation.h"

namespace jlaunch {

// Runs the Java thread's work on a thread of its own with the plan's stack
// size (or the VM's default) and waits for it; without a thread, the work
// runs on the calling thread. `hooks` are told about main.
Result<MainOutcome> startJavaThread(JvmSession& session, const LaunchPlan& plan, const MainHooks& hooks = {});

// The Java thread's work: create the VM, redirect, invoke main, and for a
// service destroy the VM again.
Result<MainOutcome> runJavaThread(JvmSession& session, const LaunchPlan& plan, const MainHooks& hooks = {});

}  // namespace jlaunch
