#include "jvmhost/java_thread.h"

#include "common/thread.h"
#include "common/trace.h"
#include "jvmhost/redirection.h"

namespace jlaunch {

namespace {

// An internal failure cannot cross to the main thread as an exception, so it
// goes as a value like any other.
Result<MainOutcome> runCatching(JvmSession& session, const LaunchPlan& plan, const MainHooks& hooks) {
    std::optional<Result<MainOutcome>> ran;
    if (auto failure = catchInternalFailure([&] { ran = runJavaThread(session, plan, hooks); })) {
        // A thread that ends still attached keeps DestroyJavaVM in the
        // teardown waiting for it for ever.
        if (JavaVM* vm = session.vm()) {
            vm->DetachCurrentThread();
        }
        return std::move(*failure);
    }
    return std::move(*ran);
}

}  // namespace

Result<MainOutcome> runJavaThread(JvmSession& session, const LaunchPlan& plan, const MainHooks& hooks) {
    trace("creating the Java VM");
    auto created = session.create(plan.vmOptions);
    if (!created) {
        return created.failure();
    }
    trace("Java VM created");
    JNIEnv* env = *created;
    applyRedirection(env, plan.output, plan.error);
    auto invoked = invokeMain(env, session.vm(), plan.main, session.entryPoints().findClassFromBootLoader, hooks);
    if (invoked && plan.isService) {
        // A service ends when its last non-daemon thread does.
        session.destroy();
    }
    return invoked;
}

Result<MainOutcome> startJavaThread(JvmSession& session, const LaunchPlan& plan, const MainHooks& hooks) {
    const std::uint64_t stackSize =
        plan.javaThreadStackSize != 0 ? plan.javaThreadStackSize : session.defaultStackSize();
    trace("Java thread stack size: ", stackSize, " bytes (0: the system's default)");
    std::optional<Result<MainOutcome>> result;
    const auto ended = runOnNewThread(
        [&] {
            result = runCatching(session, plan, hooks);
            return 0;
        },
        stackSize);
    if (!ended || !result) {
        // Without a thread of its own, Java runs on this one.
        return runCatching(session, plan, hooks);
    }
    return std::move(*result);
}

}  // namespace jlaunch
