// The hosting through the real exe and the fake VM: what the VM is handed
// (option strings and their order, class path, VM parameters, memory and
// stack sizes, environment) and what main receives. The shared launch
// driver lives in hosting_launch.cpp.
#include "hosting_end_to_end_test.h"

#include <algorithm>

#include "common/messages.h"

namespace jlaunch::test::hosting {

using fake_jvm::Trace;
using fake_jvm::Variant;

namespace {

// The options between the class path and the launcher's own closing ones
// (what "java" tells the VM, then the hooks): the VM parameters.
std::vector<std::string> vmParameters(const Trace& trace) {
    std::vector<std::string> options = trace.options();
    const auto classPath = std::find_if(options.begin(), options.end(), [](const std::string& option) {
        return option.starts_with("-Djava.class.path=");
    });
    const auto command = std::find_if(
        classPath, options.end(), [](const std::string& option) { return option.starts_with("-Dsun.java.command="); });
    if (classPath == options.end() || command == options.end()) {
        return {};
    }
    return std::vector<std::string>(classPath + 1, command);
}

// The class path entries handed to the VM; nothing without the option.
std::optional<std::vector<std::string>> classPathEntries(const Trace& trace) {
    constexpr std::string_view kPrefix = "-Djava.class.path=";
    for (const std::string& option : trace.options()) {
        if (!option.starts_with(kPrefix)) {
            continue;
        }
        std::vector<std::string> entries;
        std::size_t start = kPrefix.size();
        while (true) {
            const auto end = option.find(';', start);
            entries.push_back(option.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) {
                return entries;
            }
            start = end + 1;
        }
    }
    return std::nullopt;
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

constexpr long long kMiB = 1024 * 1024;

// The Java thread's reserved stack must be `size` rounded up to whole MiB;
// the exe's own default reserve is 2 MiB, so sizes above it tell.
void expectJavaThreadStack(const Launch& launch, long long size) {
    const auto reserved = launch.trace.stackReserved();
    ASSERT_TRUE(reserved.has_value()) << launch.report();
    EXPECT_GE(*reserved, size) << launch.report();
    EXPECT_LT(*reserved, size + kMiB) << launch.report();
}

}  // namespace

TEST_F(HostingLaunch, OptionsReachTheVmInOrderWithBothHooksAndNoUnrecognizedOptionsAllowed) {
    settings_.set(kJre, L"Library Path", L"C:\\jlt-libs;%JLT_LIB%")
        .set(kJre, L"Virtual Machine Parameters", L"-Dfirst=1 -Xmx64m -ea -Dlast=2");
    const Launch with = launch({}, {{L"JLT_LIB", L"C:\\jlt-env-lib"}});
    expectCleanRun(with);
    const std::wstring home = fake_jvm::fakeJavaHome(Variant::Full);
    // The print hook first, so that the VM says through it what is wrong with any option.
    const std::vector<std::string> expected = {
        "vfprintf",
        ansi(L"-Djava.library.path=C:\\jlt-libs;C:\\jlt-env-lib;" + copy_.exeFolder() + L"\\;.;" + kOriginalPath +
             L";" + home + L"\\lib"),
        ansi(L"-Djava.class.path=" + copy_.exeFolder() + L"\\app.jar"),
        "-Dfirst=1",
        "-Xmx64m",
        "-ea",
        "-Dlast=2",
        "-Dsun.java.command=com.acme.App",
        "-Dsun.java.launcher=SUN_STANDARD",
        "abort",
        "exit"};
    EXPECT_EQ(with.trace.options(), expected) << with.report();
    EXPECT_TRUE(with.trace.contains("CreateJavaVM version=0x00010002 nOptions=11 ignoreUnrecognized=0"))
        << with.report();
    EXPECT_TRUE(with.trace.contains("HOOK vfprintf non-null")) << with.report();
    EXPECT_TRUE(with.trace.contains("HOOK abort non-null")) << with.report();
    EXPECT_TRUE(with.trace.contains("HOOK exit non-null")) << with.report();
    EXPECT_FALSE(with.trace.containsPrefix("EXTRAINFO ")) << "only the hooks carry extra information\n"
                                                          << with.report();
    EXPECT_TRUE(
        with.trace.contains("MODULE " + fake_jvm::escapeText(fake_jvm::toU16(fake_jvm::fakeJvmDll(Variant::Full)))))
        << with.report();

    // Without "Library Path" the class path comes right after the print hook.
    settings_.remove(kJre, L"Library Path");
    const Launch without = launch();
    expectCleanRun(without);
    std::vector<std::string> rest = expected;
    rest.erase(rest.begin() + 1);
    EXPECT_EQ(without.trace.options(), rest) << without.report();
}

TEST_F(HostingLaunch, AppUserModelIdIsTheProcesssOwnBeforeTheVmIsCreated) {
    // Wine's shell takes the identity but cannot give it back (E_NOTIMPL);
    // there the launcher's own trace is what shows it was set.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const std::wstring launcherTrace = files_ / L"launcher-trace.txt";
    for (const std::wstring& id : {std::wstring(), std::wstring(L"Acme.Editor.\u0394\u65E5")}) {
        SCOPED_TRACE(narrowForReport(id));
        if (id.empty()) {
            settings_.remove(kApplication, L"App User Model ID");
        } else {
            settings_.set(kApplication, L"App User Model ID", id);
        }
        const Launch launched = launch({}, {{L"JLAUNCH_TRACE", launcherTrace}});
        expectCleanRun(launched);
        const std::string traced = readFileBytes(launcherTrace).value_or("");
        const bool set =
            traced.find("App User Model ID " + fake_jvm::toUtf8(fake_jvm::toU16(id)) + " set") != std::string::npos;
        EXPECT_EQ(set, !id.empty()) << traced;
        const std::string readBack = "APPID " + fake_jvm::escapeText(fake_jvm::toU16(id));
        if (id.empty()) {
            EXPECT_FALSE(launched.trace.containsPrefix("APPID Acme")) << launched.report();
        } else {
            EXPECT_TRUE(launched.trace.contains(readBack) ||
                        (wine && launched.trace.contains("APPID unreadable 0x80004001")))
                << launched.report();
        }
    }
}

TEST_F(HostingLaunch, ClassPathEntriesAreResolvedAgainstTheExecutablesFolder) {
    const TemporaryFolder& exe = copy_.folder();
    exe.writeFile(L"lib\\a.jar", "jar");
    exe.writeFile(L"lib\\b.jar", "jar");
    exe.writeFile(L"lib\\notes.txt", "not a jar");
    exe.writeFile(L"app.jar", "jar");
    files_.writeFile(L"ext\\x.jar", "jar");
    files_.writeFile(L"ext\\y.jar", "jar");
    settings_.set(kClassPath, L"Class Path",
                  L"lib\\*.jar;app.jar;missing.jar;nolib\\*.jar;C:\\jlt-nowhere\\absent.jar;\\\\jlt-server\\share\\"
                  L"net.jar;D:drive.jar;%JLT_CP%\\env.jar;" +
                      files_.path() + L"\\ext\\*.jar");
    const Launch resolved = launch({}, {{L"JLT_CP", L"C:\\jlt-env"}});
    expectCleanRun(resolved);
    const auto entries = classPathEntries(resolved.trace);
    ASSERT_TRUE(entries.has_value()) << resolved.report();
    // No trailing separator: an empty last element would add the current folder.
    ASSERT_EQ(entries->size(), 9u) << resolved.report();
    const std::string folder = ansi(copy_.exeFolder());
    // A wildcard's matches come in the file system's order.
    EXPECT_EQ(sorted({(*entries)[0], (*entries)[1]}),
              (std::vector<std::string>{folder + "\\lib\\a.jar", folder + "\\lib\\b.jar"}))
        << resolved.report();
    const std::vector<std::string> middle(entries->begin() + 2, entries->begin() + 7);
    EXPECT_EQ(middle,
              (std::vector<std::string>{folder + "\\app.jar", "C:\\jlt-nowhere\\absent.jar",
                                        "\\\\jlt-server\\share\\net.jar", "D:drive.jar", "C:\\jlt-env\\env.jar"}))
        << resolved.report();
    const std::string ext = ansi(files_.path()) + "\\ext\\";
    EXPECT_EQ(sorted({(*entries)[7], (*entries)[8]}), (std::vector<std::string>{ext + "x.jar", ext + "y.jar"}))
        << resolved.report();

    // "Embedded Jar" (any letter case) puts the executable first.
    settings_.set(kApplication, L"Embedded Jar", L"yes").set(kClassPath, L"Class Path", L"app.jar");
    const Launch embedded = launch();
    expectCleanRun(embedded);
    EXPECT_EQ(classPathEntries(embedded.trace), (std::vector<std::string>{ansi(copy_.exePath()), folder + "\\app.jar"}))
        << embedded.report();
    settings_.remove(kClassPath, L"Class Path");
    const Launch alone = launch();
    expectCleanRun(alone);
    EXPECT_EQ(classPathEntries(alone.trace), std::vector<std::string>{ansi(copy_.exePath())}) << alone.report();
}

TEST_F(HostingLaunch, MissingClassPathShowsMessage209AndTheVmStartsWithoutOne) {
    settings_.set(kJre, L"Library Path", L"C:\\jlt-libs")
        .set(kJre, L"Virtual Machine Parameters", L"-Xmx64m")
        .set(kApplication, L"Cmd", L"from-cmd")
        .set(kApplication, L"Output File", files_.path() + L"\\out.log");
    // No "Class Path", and one whose entries all match nothing.
    for (const std::optional<std::wstring>& classPath :
         {std::optional<std::wstring>(), std::optional<std::wstring>(L"missing.jar;lib\\*.jar")}) {
        SCOPED_TRACE(classPath ? narrowForReport(*classPath) : "no Class Path");
        if (classPath) {
            settings_.set(kClassPath, L"Class Path", *classPath);
        } else {
            settings_.remove(kClassPath, L"Class Path");
        }
        const Launch launched = launch();
        ASSERT_EQ(launched.boxes.size(), 1u) << launched.report();
        // Entries that matched nothing are named below the message.
        EXPECT_EQ(launched.boxes.front().text,
                  classPath ? message(kMsgClassPathUnmatched) + L"\nmissing.jar\nlib\\*.jar\n" : message(209))
            << launched.report();
        // The library path came before; parameters, redirection and "Cmd" are not read.
        const std::vector<std::string> options = launched.trace.options();
        ASSERT_EQ(options.size(), 6u) << launched.report();
        EXPECT_TRUE(options[1].starts_with("-Djava.library.path=C:\\jlt-libs;")) << launched.report();
        EXPECT_EQ(std::vector<std::string>(options.begin() + 2, options.end()),
                  (std::vector<std::string>{"-Dsun.java.command=com.acme.App", "-Dsun.java.launcher=SUN_STANDARD",
                                            "abort", "exit"}))
            << launched.report();
        EXPECT_EQ(launched.trace.mainArguments(), std::vector<std::wstring>{}) << launched.report();
        EXPECT_FALSE(launched.trace.containsPrefix("SETOUT ")) << launched.report();
        // The fake VM knows the class anyway, so the application runs.
        EXPECT_EQ(launched.exitCode, 0) << launched.report();
        EXPECT_TRUE(launched.trace.contains("MAIN-RETURN com/acme/App")) << launched.report();
        expectJniDiscipline(launched);
    }
}

TEST_F(HostingLaunch, VmParametersSplitAtSpacesOutsideQuotesAndLoseTheirQuotes) {
    settings_.set(kJre, L"Virtual Machine Parameters",
                  L"-Dmsg=\"hello  world\" -Xmx64m  -Dtwo=2   \"-Dq=a b\" -Dd=\"say \"\"hi\"\"\" -Dhome=%JLT_HOME% "
                  L"-Dend");
    const Launch launched = launch({}, {{L"JLT_HOME", L"C:\\jlt home"}});
    expectCleanRun(launched);
    EXPECT_EQ(vmParameters(launched.trace),
              (std::vector<std::string>{"-Dmsg=hello  world", "-Xmx64m", "-Dtwo=2", "-Dq=a b", "-Dd=say \"hi\"",
                                        "-Dhome=C:\\jlt home", "-Dend"}))
        << launched.report();
}

TEST_F(HostingLaunch, MemoryPercentagesBecomeKilobytesAndOverlargeNumbersDropTheOption) {
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    const unsigned long long physicalKb = memory.ullTotalPhys >> 10;
    ASSERT_GT(physicalKb, 1024u * 1024u) << "the cases below assume at least 1 GiB";
    // "-XMX" is no memory option: it passes as written, for a VM that knows it.
    script_.acceptOption("-XMX");
    settings_.set(kJre, L"Virtual Machine Parameters", L"-Xmx50P -Xms1:8:4P -Xmx100:0:64t -Xms25p -Xmx512m -XMX50P");
    const Launch launched = launch();
    expectCleanRun(launched);
    EXPECT_EQ(
        vmParameters(launched.trace),
        (std::vector<std::string>{"-Xmx" + std::to_string(physicalKb / 2) + "K",
                                  // 1 % is above the 4 MB ceiling, and the 8 MB floor wins over it.
                                  "-Xms8192K",
                                  // All the address space, capped.
                                  "-Xmx65536K", "-Xms" + std::to_string(physicalKb / 4) + "K", "-Xmx512m", "-XMX50P"}))
        << launched.report();

    // A floor or ceiling that fits in no 64-bit size: the VM's own default applies. A
    // share above 100 is all of it, a fraction counts, and no number is no share.
    script_.acceptOption("-XmxP");
    settings_.set(kJre, L"Virtual Machine Parameters",
                  L"-Xms1:99999999999999999999:0P -Xmx1:0:99999999999999999999T -Xmx99999999999999999999P -Xms12.5P "
                  L"-XmxP -Xmx64m");
    const Launch overlarge = launch();
    expectCleanRun(overlarge);
    EXPECT_EQ(vmParameters(overlarge.trace),
              (std::vector<std::string>{"-Xmx" + std::to_string(physicalKb) + "K",
                                        "-Xms" + std::to_string(physicalKb / 8) + "K", "-XmxP", "-Xmx64m"}))
        << overlarge.report();
}

TEST_F(HostingLaunch, JavaThreadStackComesFromXssOrElseFromTheVmsDefault) {
    script_.defaultStackSize(6 * kMiB);
    const std::string askedDefault = "GetDefaultJavaVMInitArgs version=0x00010001 -> -1 javaStackSize=6291456";

    settings_.set(kJre, L"Virtual Machine Parameters", L"-Xss4m");
    const Launch explicitSize = launch();
    expectCleanRun(explicitSize);
    expectJavaThreadStack(explicitSize, 4 * kMiB);
    EXPECT_FALSE(explicitSize.trace.containsPrefix("GetDefaultJavaVMInitArgs")) << explicitSize.report();
    EXPECT_EQ(vmParameters(explicitSize.trace), std::vector<std::string>{"-Xss4m"}) << explicitSize.report();

    // The last -Xss decides; a percentage is turned into kilobytes first.
    settings_.set(kJre, L"Virtual Machine Parameters", L"-Xss4m -Xss0:3:0P");
    const Launch percentage = launch();
    expectCleanRun(percentage);
    expectJavaThreadStack(percentage, 3 * kMiB);
    EXPECT_EQ(vmParameters(percentage.trace), (std::vector<std::string>{"-Xss4m", "-Xss3072K"})) << percentage.report();

    settings_.remove(kJre, L"Virtual Machine Parameters");
    const Launch defaultSize = launch();
    expectCleanRun(defaultSize);
    EXPECT_TRUE(defaultSize.trace.contains(askedDefault)) << defaultSize.report();
    expectJavaThreadStack(defaultSize, 6 * kMiB);

    // A size too large to hold is dropped, and the default is asked for.
    settings_.set(kJre, L"Virtual Machine Parameters", L"-Xss99999999999999999999k");
    const Launch overlarge = launch();
    expectCleanRun(overlarge);
    EXPECT_TRUE(overlarge.trace.contains(askedDefault)) << overlarge.report();
    EXPECT_TRUE(vmParameters(overlarge.trace).empty()) << overlarge.report();
    expectJavaThreadStack(overlarge, 6 * kMiB);
}

TEST_F(HostingLaunch, VmSeesItsRuntimeAndTheSearchPathWithTheSystemPathFirstAndTheRuntimeBinLast) {
    const std::wstring bin = fake_jvm::fakeJavaHome(Variant::Full) + L"\\bin";
    struct Case {
        std::optional<std::wstring> systemPath;
        std::wstring expectedPath;
    };
    const std::wstring original = kOriginalPath;
    for (const Case& c : {Case{L"C:\\jlt-sysA;%JLT_SYS%", L"C:\\jlt-sysA;C:\\jlt-sysB;" + original + L";" + bin},
                          Case{L"C:\\jlt-sysA;", L"C:\\jlt-sysA;" + original + L";" + bin},
                          Case{std::nullopt, original + L";" + bin}}) {
        SCOPED_TRACE(c.systemPath ? narrowForReport(*c.systemPath) : "no System Path");
        if (c.systemPath) {
            settings_.set(kJre, L"System Path", *c.systemPath);
        } else {
            settings_.remove(kJre, L"System Path");
        }
        const Launch launched = launch({}, {{L"JLT_SYS", L"C:\\jlt-sysB"}, {L"KOV_JVM_HOME", L"C:\\stale"}});
        expectCleanRun(launched);
        EXPECT_EQ(launched.trace.environment("Path"), c.expectedPath) << launched.report();
        EXPECT_EQ(launched.trace.environment("KOV_JVM_PATH"), fake_jvm::fakeJvmDll(Variant::Full)) << launched.report();
        EXPECT_EQ(launched.trace.environment("KOV_JVM_HOME"), fake_jvm::fakeJavaHome(Variant::Full))
            << launched.report();
    }

    // A client VM lies one folder deeper in no other way.
    useJavaHome(Variant::Client);
    const Launch client = launch();
    expectCleanRun(client);
    EXPECT_EQ(client.trace.environment("KOV_JVM_PATH"), fake_jvm::fakeJvmDll(Variant::Client)) << client.report();
    EXPECT_EQ(client.trace.environment("KOV_JVM_HOME"), fake_jvm::fakeJavaHome(Variant::Client)) << client.report();
    EXPECT_EQ(client.trace.environment("Path"),
              std::wstring(kOriginalPath) + L";" + fake_jvm::fakeJavaHome(Variant::Client) + L"\\bin")
        << client.report();
}

TEST_F(HostingLaunch, MainGetsTheCommandLineArgumentsUnchangedThenTheCmdArguments) {
    settings_.set(kApplication, L"Cmd", L"cmd1 \"cmd two\"  %JLT_ARG%");
    const std::wstring smile = L"\U0001F600";
    ASSERT_EQ(smile.size(), 2u) << "a surrogate pair";
    const Launch launched =
        launch(L"plain \"two words\" \"\" caf\u00e9 \u0416\u4e2d\u6587 " + smile + L"x -nosplash /nosplash",
               {{L"JLT_ARG", L"from-env"}});
    expectCleanRun(launched);
    const std::vector<std::wstring> expected = {
        L"plain",     L"two words", L"",        L"caf\u00e9", L"\u0416\u4e2d\u6587", smile + L"x", L"-nosplash",
        L"/nosplash", L"cmd1",      L"cmd two", L"from-env"};
    EXPECT_EQ(launched.trace.mainArguments(), expected) << launched.report();

    // No arguments at all: an empty array, not null.
    settings_.remove(kApplication, L"Cmd");
    const Launch none = launch();
    expectCleanRun(none);
    EXPECT_TRUE(none.trace.contains("MAIN-ENTER com/acme/App argc=0 thread=1")) << none.report();
}

TEST_F(HostingLaunch, MainClassIsLoadedThroughTheLauncherHelperOrThroughFindClassWithoutIt) {
    const Launch helper = launch();
    expectCleanRun(helper);
    EXPECT_TRUE(helper.trace.contains("JVM_FindClassFromBootLoader sun/launcher/LauncherHelper -> found"))
        << helper.report();
    EXPECT_TRUE(helper.trace.contains("CHECK-AND-LOAD-MAIN printToStderr=1 mode=1 name=com.acme.App"))
        << "the helper takes the name with dots\n"
        << helper.report();

    useJavaHome(Variant::NoFindClass);
    const Launch plain = launch();
    expectCleanRun(plain);
    EXPECT_FALSE(plain.trace.containsPrefix("JVM_FindClassFromBootLoader")) << plain.report();
    EXPECT_FALSE(plain.trace.containsPrefix("CHECK-AND-LOAD-MAIN")) << plain.report();
    EXPECT_TRUE(plain.trace.contains("JNI FindClass com/acme/App -> found")) << plain.report();
    EXPECT_TRUE(plain.trace.contains("MAIN-ENTER com/acme/App argc=0 thread=1")) << plain.report();
}

}  // namespace jlaunch::test::hosting
