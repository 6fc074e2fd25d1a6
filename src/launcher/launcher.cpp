#include "launcher/launcher.h"

#include <new>

#include "common/environment.h"
#include "common/launch_error.h"
#include "common/paths.h"
#include "common/system.h"
#include "common/text.h"
#include "common/trace.h"
#include "jvmhost/java_thread.h"
#include "jvmhost/secondary_main.h"
#include "launcher/run_modes.h"
#include "settings/command_line.h"

namespace jlaunch {

namespace {

Result<std::wstring> currentExecutable() {
    std::uint32_t error = 0;
    if (auto path = executablePath(error)) {
        return std::move(*path);
    }
    return systemFailure(kMsgModulePathFailed, error);
}

// Forwarded launches go to secondaryMain of the main class in `vm`.
ForwardHandler secondaryMainOf(JavaVM* vm, const MainInvocation& main) {
    return [vm, mainClass = main.mainClassName, stayAttached = main.neverDetach](
               const std::vector<std::wstring>& arguments, const AnswerFunction& answer) {
        return callSecondaryMain(vm, mainClass, stayAttached, arguments, answer);
    };
}

}  // namespace

Launcher::~Launcher() {
    splash_.closeSplash();
    // The application serves forwarded launches for as long as it runs.
    if (session_) {
        session_->destroy();
    }
    singleInstance_.stop();
    session_.reset();
    splash_.closeNativeSplash();
}

std::int32_t Launcher::launch() {
    Result<void> initialized = initialize();
    Result<std::int32_t> exitCode = initialized ? run() : Result<std::int32_t>(initialized.failure());
    if (!exitCode) {
        report(exitCode.failure());
        trace("exit code -1");
        return -1;
    }
    trace("exit code ", *exitCode, " once the Java VM is destroyed");
    return *exitCode;
}

Result<void> Launcher::initialize() {
    javaArguments_ = parseCommandLine();
    auto executable = currentExecutable();
    if (!executable) {
        return executable.failure();
    }
    executable_ = std::move(*executable);
    trace("executable ", executable_, " with ", javaArguments_.size(), " arguments");
    auto settings = readLauncherSettings(executable_);
    if (!settings) {
        return settings.failure();
    }
    settings_ = std::move(*settings);
    if (settings_.singleInstance) {
        if (!singleInstance_.setup(executable_, javaArguments_)) {
            trace("single instance: the arguments could not be handed over");
            return Failure{};  // arguments too long for the first instance, or not taken: nothing to show
        }
        const InstanceRole role = singleInstance_.role();
        trace("single instance: ", role == InstanceRole::First    ? "this is the first instance"
                                   : role == InstanceRole::Second ? "the arguments went to the first instance"
                                                                  : "off (it could not be set up)");
        if (role == InstanceRole::Second) {
            return {};  // the first instance does the work: no VM here
        }
    }
    if (settings_.overrideWorkingDir) {
        setCurrentFolder(parentPath(executable_, 1));
        trace("working folder set to ", parentPath(executable_, 1));
    }
    auto choice = searchJvm(settings_, executable_);
    if (!choice) {
        return Failure{};  // the user cancelled the "JRE Not Found" dialog
    }
    choice_ = std::move(*choice);
    if (choice_.notice) {
        report(*choice_.notice);
    }
    return {};
}

Result<std::int32_t> Launcher::run() {
    if (choice_.startPairedLauncher) {
        return startPairedLauncherProcess(settings_.pairProduct, settings_.pairReturnCode);
    }
    if (singleInstance_.role() == InstanceRole::Second) {
        return singleInstance_.waitForFirstInstance();
    }
    const LaunchPlan plan = planLaunch(settings_, choice_.jvmLibraryPath, hostFacts());
    if (traceEnabled()) {
        for (const EnvironmentVariable& variable : plan.environment) {
            trace("environment ", variable.name, "=", variable.value);
        }
        for (const std::string& option : plan.vmOptions) {
            trace("VM option ", option);
        }
    }
    applyEnvironment(plan.environment);
    completeStartupCacheAtExit(plan.startupCache);
    if (!hasNoSplashSwitch(javaArguments_)) {
        splash_.showSplash(
            parseSplashSettings(settings_.splashImagePath, settings_.splashShadow, settings_.preferNativeSplash),
            choice_.jvmLibraryPath);
    }
    auto hosted = host(plan);
    if (!hosted) {
        // The runtime's splash would stay over the message until the teardown.
        splash_.closeNativeSplash();
    }
    return hosted;
}

Result<std::int32_t> Launcher::host(const LaunchPlan& plan) {
    auto session = JvmSession::load(choice_.jvmLibraryPath);
    if (!session) {
        return session.failure();
    }
    session_ = std::move(*session);
    if (plan.notice) {
        report(*plan.notice);
    }
    MainHooks hooks;
    hooks.starting = [this, &plan](JavaVM* vm) { singleInstance_.markStarted(secondaryMainOf(vm, plan.main)); };
    // The exception dialog must not open behind the splash window.
    hooks.uncaughtException = [this] { splash_.closeSplash(); };
    auto ran = startJavaThread(*session_, plan, hooks);
    if (!ran) {
        return ran.failure();
    }
    // As the Java runtime's own launcher: an exception out of main is a failure.
    return *ran == MainOutcome::Threw ? 1 : 0;
}

HostFacts Launcher::hostFacts() const {
    return {executable_, javaArguments_, memoryStatus(), Environment::ofProcess()};
}

void Launcher::report(const Failure& failure) const {
    if (traceEnabled() && failure.message != kMsgNone) {
        trace("failure shown: ", trimWhiteSpace(failureText(failure)));
    }
    showFailure(splash_.splashWindowHandle(), failure);
}

std::int32_t runLauncher() {
    openTrace();
    try {
        Launcher launcher;
        return launcher.launch();
    } catch (const LaunchError& error) {
        showFailure(nullptr, internalFailure(error.status()));
    } catch (const std::bad_alloc&) {
        showFailure(nullptr, internalFailure(LaunchError::kOutOfMemory));
    }
    return -1;
}

}  // namespace jlaunch
