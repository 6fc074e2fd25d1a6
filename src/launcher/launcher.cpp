#include "launcher/launcher.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <type_traits>

#include "common/environment.h"
#include "common/foreground.h"
#include "common/paths.h"
#include "common/system.h"
#include "common/text.h"
#include "common/trace.h"
#include "instance/argument_block.h"
#include "jvmhost/java_thread.h"
#include "jvmhost/secondary_main.h"
#include "jvmhost/standard_output.h"
#include "jvmhost/startup_cache.h"
#include "jvmhost/vm_output.h"
#include "launcher/application_identity.h"
#include "launcher/restart.h"
#include "launcher/run_modes.h"
#include "settings/command_line.h"
#include "splash/jar_splash.h"

namespace jlaunch {

namespace {

Result<std::wstring> currentExecutable() {
    std::uint32_t error = 0;
    if (auto path = executablePath(error)) {
        return std::move(*path);
    }
    return systemFailure(kMsgModulePathFailed, error);
}

// Forwarded launches go to secondaryMain of `mainClass` in `vm`; without one,
// a later launch only brings the running application to the front.
ForwardHandler secondaryMainOf(JavaVM* vm, const std::wstring& mainClass, const MainInvocation& main) {
    return [vm, mainClass, stayAttached = main.neverDetach](const std::vector<std::wstring>& arguments,
                                                            const AnswerFunction& answer) {
        const SecondaryMainOutcome outcome = callSecondaryMain(vm, mainClass, stayAttached, arguments, answer);
        if (outcome == SecondaryMainOutcome::Missing) {
            const bool shown = bringApplicationToFront();
            trace("single instance: no secondaryMain; ",
                  shown ? "the application's window was brought to the front" : "no window to bring to the front");
            answer(0);
            return true;
        }
        return outcome == SecondaryMainOutcome::Served;
    };
}

// What the end of the application's run does; set before the VM exists, read
// as the process ends (on the thread the VM ends it from, or after the teardown).
// At namespace scope, so that no thread-safe first-use guard is needed.
RestartPlan theEndPlan;

RestartPlan& endPlan() {
    return theEndPlan;
}

void processEndsWith(std::int32_t code) {
    answerWaitingInstances(code);
    restartIfWanted(endPlan(), code);
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
    restartsSoFar_ = takeRestartCount();
    if (restartsSoFar_ > 0) {
        trace("started again on the Restart Code: ", restartsSoFar_, " of at most ", kRestartLimit, " in a row");
        awaitPreviousRun();
    }
    javaArguments_ = parseCommandLine();
    auto executable = currentExecutable();
    if (!executable) {
        return executable.failure();
    }
    executable_ = std::move(*executable);
    setMessageTitle(applicationName(executable_, {}));
    trace("executable ", executable_, " with ", javaArguments_.size(), " arguments");
    auto settings = readLauncherSettings(executable_);
    if (!settings) {
        return settings.failure();
    }
    // Made again by the move constructor, which exists out of line anyway: a
    // member-wise move assignment of every setting would be inlined here.
    static_assert(std::is_nothrow_move_constructible_v<LauncherSettings>);
    std::destroy_at(&settings_);
    std::construct_at(&settings_, std::move(*settings));
    // Before any window, so that every window of the process is grouped under it.
    if (!settings_.appUserModelId.empty()) {
        applyAppUserModelId(settings_.appUserModelId);
    }
    if (settings_.singleInstance) {
        if (!singleInstance_.setup(executable_, javaArguments_)) {
            // Never silently: the user's files (a file manager passes many) would just be lost.
            if (!fitsArgumentBlock(javaArguments_)) {
                const auto bytes = static_cast<std::int32_t>(argumentBlockBytes(javaArguments_));
                trace("single instance: the arguments take ", bytes, " bytes, more than the running instance takes");
                return Failure{kMsgArgumentsTooLong, {bytes}, {}};
            }
            trace("single instance: the running instance did not take the arguments");
            return Failure{kMsgArgumentsNotTaken, {}, {}};
        }
        if (const std::string problem = singleInstance_.problem(); !problem.empty()) {
            trace("single instance: ", toWide(problem));
        }
        if (const std::string folder = singleInstance_.unsafeFolder(); !folder.empty()) {
            report(Failure{kMsgInstanceFolderUnsafe, {toWide(folder)}, {}});
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
        return alreadyShown(L"the \"JRE Not Found\" dialog was cancelled");
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
        constexpr const char* kModes[] = {"", "class ", "jar ", "module "};
        trace("launch mode: ", kModes[static_cast<int>(plan.main.mode)], plan.main.what,
              " (module, then jar, then class)");
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
        // Without "Splash Screen", an executable jar's own picture, as "java -jar" shows it.
        const bool fromJar = settings_.splashImagePath.empty() && plan.main.mode == LaunchMode::Jar;
        const JarSplashFile jarPicture(fromJar ? plan.main.what : std::wstring());
        SplashRequest request = parseSplashSettings(fromJar ? jarPicture.path() : settings_.splashImagePath,
                                                    settings_.splashShadow, settings_.preferNativeSplash);
        request.temporaryPicture = fromJar;
        splash_.showSplash(request, choice_.jvmLibraryPath);
    }
    endPlan() = {settings_.restartCode, restartsSoFar_, executable_, javaArguments_};
    setVmExitHandler(&processEndsWith);
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
    // The VM may end the process itself when it refuses to start or the
    // runtime's launcher helper refuses the class: say why before it goes.
    struct EarlyEnd {
        const Launcher* launcher;
        const std::wstring* what;
    } earlyEnd{this, &plan.main.what};
    setEarlyVmEndHandler(
        [](void* context, VmStage stage, const std::wstring& said) {
            const auto* end = static_cast<const EarlyEnd*>(context);
            end->launcher->reportEarlyVmEnd(stage, *end->what, said);
        },
        &earlyEnd);
    MainHooks hooks;
    hooks.starting = [this, &plan](JavaVM* vm, const std::wstring& mainClass) {
        singleInstance_.markStarted(secondaryMainOf(vm, mainClass, plan.main));
    };
    // The exception dialog must not open behind the splash window.
    hooks.uncaughtException = [this] { splash_.closeSplash(); };
    captureStandardOutput();
    auto ran = startJavaThread(*session_, plan, hooks);
    setEarlyVmEndHandler(nullptr, nullptr);
    if (!ran) {
        return ran.failure();
    }
    // As the Java runtime's own launcher: an exception out of main is a failure.
    return *ran == MainOutcome::Threw ? 1 : 0;
}

void Launcher::reportEarlyVmEnd(VmStage stage, const std::wstring& what, const std::wstring& said) const {
    // Creation refused (203, with the VM's words as the reason), or the
    // class refused by the runtime's launcher helper (211, with its words).
    Failure failure;
    if (stage == VmStage::Creating) {
        failure.message = kMsgJniException;
        failure.arguments.emplace_back(kMsgCreateJavaVmFailed);
        failure.arguments.emplace_back(said);
        if (said.empty()) {
            failure.arguments.back() = kMsgReasonUnknown;
        }
    } else {
        failure.message = kMsgMainClassLoadFailed;
        failure.arguments.emplace_back(what);
        if (!said.empty()) {
            failure.cause.emplace_back(said);
        }
    }
    report(failure);
    trace("exit code -1");
    std::_Exit(-1);
}

HostFacts Launcher::hostFacts() const {
    return {executable_, javaArguments_, memoryStatus(), Environment::ofProcess()};
}

void Launcher::report(const Failure& failure) const {
    if (traceEnabled()) {
        if (failure.message == kMsgNone) {
            trace("ending without a message: ", failure.detail);
        } else {
            trace("failure shown: ", trimWhiteSpace(failureText(failure)));
        }
    }
    showFailure(splash_.splashWindowHandle(), failure);
}

std::int32_t runLauncher() {
    // The child that makes a start-up cache traces to its output, which its
    // parent traces: the trace file stays the parent's.
    if (const auto made = runStartupCacheChild()) {
        return *made;
    }
    openTrace();
    std::int32_t code = -1;
    std::optional<Launcher> launcher;
    const auto failure = catchInternalFailure([&] {
        code = launcher.emplace().launch();
        launcher.reset();
        // The application's last lines reach the launcher's own output before the process ends.
        settleStandardOutput();
        processEndsWith(code);
    });
    if (!failure) {
        return code;
    }
    // The teardown, as after a normal end, before the message.
    launcher.reset();
    trace("internal failure: ", trimWhiteSpace(failureText(*failure)));
    showFailure(nullptr, *failure);
    return -1;
}

}  // namespace jlaunch
