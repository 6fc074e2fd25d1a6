// Self-tests of the JNI test double (tests/fakes): its jvm.dll is loaded into
// this process and driven through the JNI the way a launcher drives a real
// VM, and its trace is read back. A VM can be created once per process, as
// with a real jvm.dll, and ctest runs every test in a process of its own.
// What ends a process runs in a child: the double's driver program.
#include <windows.h>

#include <jni.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../fakes/fake_jvm_script.h"
#include "common/handles_win.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

using fake_jvm::Script;
using fake_jvm::Step;
using fake_jvm::Trace;
using fake_jvm::Variant;

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultInitArgs = jint(JNICALL*)(void*);
using FindBootClass = jclass(JNICALL*)(JNIEnv*, const char*);

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

template <typename Function>
Function entryPoint(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The JDK 1.1 record of JNI_GetDefaultJavaVMInitArgs, as far as it is read.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint rest[16];
};

void JNICALL ignoreExit(jint) {}
void JNICALL ignoreAbort() {}

// The launcher's way to a java.lang.String: a char[] and String(char[]).
jstring newJavaString(JNIEnv* env, std::wstring_view text) {
    jclass string = env->FindClass("java/lang/String");
    jmethodID init = env->GetMethodID(string, "<init>", "([C)V");
    const auto length = static_cast<jsize>(text.size());
    jcharArray chars = env->NewCharArray(length);
    env->SetCharArrayRegion(chars, 0, length, reinterpret_cast<const jchar*>(text.data()));
    auto result = static_cast<jstring>(env->NewObject(string, init, chars));
    env->DeleteLocalRef(chars);
    env->DeleteLocalRef(string);
    return result;
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts) {
    jclass string = env->FindClass("java/lang/String");
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), string, nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        jstring element = newJavaString(env, texts[i]);
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
    }
    env->DeleteLocalRef(string);
    return array;
}

// Runs `body` on a new thread with `stackSize` (0: the default) and waits for it.
template <typename Body>
void runOnThread(SIZE_T stackSize, Body body) {
    const auto start = [](void* parameter) -> DWORD {
        (*static_cast<Body*>(parameter))();
        return 0;
    };
    const UniqueHandle thread(CreateThread(nullptr, stackSize, start, &body, 0, nullptr));
    ASSERT_TRUE(thread.valid());
    WaitForSingleObject(thread.get(), INFINITE);
}

class FakeJvm : public testing::Test {
protected:
    // Without a script the double runs on its defaults; a named script that
    // is missing would end the process.
    void SetUp() override {
        scriptScope_.emplace(fake_jvm::kScriptVariable, std::nullopt);
        traceScope_.emplace(fake_jvm::kTraceVariable, tracePath());
    }

    std::wstring scriptPath() const { return folder_ / L"script.txt"; }
    std::wstring tracePath() const { return folder_ / L"trace.txt"; }
    void writeScript(const Script& script) { writeScript(script.text()); }
    void writeScript(std::string_view text) {
        ASSERT_TRUE(fake_jvm::writeBinaryFile(scriptPath(), text));
        scriptScope_.reset();
        scriptScope_.emplace(fake_jvm::kScriptVariable, scriptPath());
        scriptWritten_ = true;
    }
    Trace trace() const { return Trace::read(tracePath()); }

    HMODULE load(Variant variant = Variant::Full) {
        const std::wstring path = fake_jvm::fakeJvmDll(variant);
        library_ = LoadLibraryW(path.c_str());
        EXPECT_NE(library_, nullptr) << narrowForReport(path) << " error " << GetLastError();
        return library_;
    }

    // JNI_CreateJavaVM on the calling thread with `options`, then "abort" and
    // "exit" with hooks, as the launcher calls it.
    jint create(const std::vector<std::string>& options, bool ignoreUnrecognized = false,
                jint version = JNI_VERSION_1_2) {
        if (library_ == nullptr && load() == nullptr) return JNI_ERR;
        std::vector<JavaVMOption> records;
        for (const auto& option : options) {
            records.push_back(JavaVMOption{const_cast<char*>(option.c_str()), nullptr});
        }
        records.push_back(JavaVMOption{const_cast<char*>("abort"), nullptr});
        records.push_back(JavaVMOption{const_cast<char*>("exit"), nullptr});
        const auto abortHook = &ignoreAbort;
        const auto exitHook = &ignoreExit;
        std::memcpy(&records[records.size() - 2].extraInfo, &abortHook, sizeof(void*));
        std::memcpy(&records.back().extraInfo, &exitHook, sizeof(void*));
        JavaVMInitArgs init{};
        init.version = version;
        init.nOptions = static_cast<jint>(records.size());
        init.options = records.data();
        init.ignoreUnrecognized = ignoreUnrecognized ? JNI_TRUE : JNI_FALSE;
        const auto createJavaVm = entryPoint<CreateJavaVm>(library_, "JNI_CreateJavaVM");
        return createJavaVm(&vm_, reinterpret_cast<void**>(&env_), &init);
    }

    // Creates the VM and fails the test when that does not work.
    void createOrFail(const std::vector<std::string>& options = {}) {
        ASSERT_EQ(create(options), JNI_OK) << "one VM per process: run each test in its own process, as ctest does\n"
                                           << trace().dump();
        ASSERT_NE(vm_, nullptr);
        ASSERT_NE(env_, nullptr);
    }

    // Runs the driver program on the full jvm.dll; its exit code.
    std::optional<std::int32_t> drive(const std::wstring& hookLog, const std::wstring& arguments) {
        const std::wstring driver = fake_jvm::fakeJvmDriver();
        ChildProcess child = ChildProcess::start(
            driver,
            quoted(driver) + L" " + quoted(fake_jvm::fakeJvmDll(Variant::Full)) + L" " + quoted(hookLog) + L" " +
                arguments,
            {},
            {{fake_jvm::kScriptVariable, scriptWritten_ ? std::optional(scriptPath()) : std::nullopt},
             {fake_jvm::kTraceVariable, tracePath()}});
        EXPECT_TRUE(child.started()) << "error " << child.startError();
        return child.waitForExit();
    }

    std::string hookLogOf(const std::wstring& path) const { return fake_jvm::readBinaryFile(path).value_or(""); }

    void expectNoMisuse() const {
        const Trace lines = trace();
        EXPECT_TRUE(lines.misuses().empty()) << lines.dump();
    }

    TemporaryFolder folder_;
    std::optional<EnvironmentScope> scriptScope_;
    std::optional<EnvironmentScope> traceScope_;
    bool scriptWritten_ = false;
    HMODULE library_ = nullptr;
    JavaVM* vm_ = nullptr;
    JNIEnv* env_ = nullptr;
};

// --- the library ---------------------------------------------------------------------

TEST_F(FakeJvm, EachVariantExportsWhatItsNameSays) {
    struct Expected {
        Variant variant;
        bool defaultArgs;
        bool findClass;
    };
    for (const Expected& expected :
         {Expected{Variant::Full, true, true}, Expected{Variant::NoFindClass, true, false},
          Expected{Variant::NoDefaultArgs, false, true}, Expected{Variant::Client, true, true}}) {
        const std::wstring path = fake_jvm::fakeJvmDll(expected.variant);
        SCOPED_TRACE(narrowForReport(path));
        const HMODULE library = LoadLibraryW(path.c_str());
        ASSERT_NE(library, nullptr) << "error " << GetLastError();
        EXPECT_NE(GetProcAddress(library, "JNI_CreateJavaVM"), nullptr);
        EXPECT_EQ(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs") != nullptr, expected.defaultArgs);
        EXPECT_EQ(GetProcAddress(library, "JVM_FindClassFromBootLoader") != nullptr, expected.findClass);
        // A real jvm.dll exports undecorated names only.
        EXPECT_EQ(GetProcAddress(library, "_JNI_CreateJavaVM@12"), nullptr);
        const auto marker = fake_jvm::readBinaryFile(fake_jvm::fakeJavaHome(expected.variant) + L"\\bin\\java.dll");
        ASSERT_TRUE(marker.has_value()) << "no bin\\java.dll home marker";
        EXPECT_TRUE(marker->empty());
    }
    EXPECT_EQ(GetFileAttributesW((fake_jvm::fakeJavaHome(Variant::Client) + L"\\bin\\server").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "the client home has no server VM";
}

TEST_F(FakeJvm, DefaultInitArgsAnswerAsHotSpotDoes) {
    writeScript(Script().defaultStackSize(524288));
    ASSERT_NE(load(), nullptr);
    const auto getDefaults = entryPoint<GetDefaultInitArgs>(library_, "JNI_GetDefaultJavaVMInitArgs");
    Jdk11InitArgs old{};
    old.version = JNI_VERSION_1_1;
    // HotSpot refuses the JDK 1.1 record yet fills in the stack size and version.
    EXPECT_EQ(getDefaults(&old), JNI_ERR);
    EXPECT_EQ(old.javaStackSize, 524288);
    EXPECT_EQ(old.version, JNI_VERSION_1_2);
    Jdk11InitArgs current{};
    current.version = JNI_VERSION_1_2;
    EXPECT_EQ(getDefaults(&current), JNI_OK);
    EXPECT_EQ(current.javaStackSize, 0) << "only a 1.1 record gets the stack size";
    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("GetDefaultJavaVMInitArgs version=0x00010001 -> -1 javaStackSize=524288"))
        << lines.dump();
    EXPECT_TRUE(lines.contains("GetDefaultJavaVMInitArgs version=0x00010002 -> 0")) << lines.dump();
}

// --- creation ------------------------------------------------------------------------

TEST_F(FakeJvm, CreationTracesOptionsHooksEnvironmentAndTheCallersStack) {
    const EnvironmentScope path(L"KOV_JVM_PATH", std::wstring(L"C:\\J\u00e4va\\bin\\server\\jvm.dll"));
    const EnvironmentScope home(L"KOV_JVM_HOME", std::nullopt);
    const EnvironmentScope search(L"Path", std::wstring(L"C:\\first;C:\\J\u00e4va\\bin"));
    ASSERT_NE(load(), nullptr);
    // Options come in the ANSI code page: 0xE9 is one byte, not UTF-8.
    const std::vector<std::string> options = {"-Djava.class.path=C:\\app\\a.jar;C:\\app\\b.jar", "-Dname=caf\xE9",
                                              "-Xmx64m", "-Xss4m"};
    constexpr SIZE_T kStack = 4 * 1024 * 1024;
    jint result = JNI_ERR;
    jint detached = JNI_ERR;
    runOnThread(kStack, [&] {
        result = create(options);
        if (result == JNI_OK) detached = vm_->DetachCurrentThread();
    });
    ASSERT_EQ(result, JNI_OK) << trace().dump();
    EXPECT_EQ(detached, JNI_OK);
    EXPECT_EQ(vm_->DestroyJavaVM(), JNI_OK);

    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("CreateJavaVM version=0x00010002 nOptions=6 ignoreUnrecognized=0")) << lines.dump();
    std::vector<std::string> expected = options;
    expected.insert(expected.end(), {"abort", "exit"});
    EXPECT_EQ(lines.options(), expected);
    EXPECT_TRUE(lines.contains("OPTION 1 -Dname=caf\\xE9")) << "non-ASCII bytes are hex-escaped\n" << lines.dump();
    EXPECT_TRUE(lines.contains("OPTION 0 -Djava.class.path=C:\\\\app\\\\a.jar;C:\\\\app\\\\b.jar")) << lines.dump();
    EXPECT_TRUE(lines.contains("HOOK abort non-null")) << lines.dump();
    EXPECT_TRUE(lines.contains("HOOK exit non-null")) << lines.dump();
    EXPECT_FALSE(lines.containsPrefix("EXTRAINFO ")) << lines.dump();
    EXPECT_EQ(lines.environment("KOV_JVM_PATH"), L"C:\\J\u00e4va\\bin\\server\\jvm.dll");
    EXPECT_TRUE(lines.contains("ENV KOV_JVM_HOME (unset)")) << lines.dump();
    EXPECT_EQ(lines.environment("Path"), L"C:\\first;C:\\J\u00e4va\\bin");
    const auto reserved = lines.stackReserved();
    ASSERT_TRUE(reserved.has_value()) << lines.dump();
    EXPECT_GE(*reserved, static_cast<long long>(kStack)) << lines.dump();
    EXPECT_LT(*reserved, static_cast<long long>(kStack) * 2) << lines.dump();
    EXPECT_TRUE(lines.containsPrefix("STACK reserved=" + std::to_string(*reserved) +
                                     " via=GetCurrentThreadStackLimits virtual-query=" + std::to_string(*reserved)))
        << "both measurements agree\n"
        << lines.dump();
    EXPECT_TRUE(lines.contains("CREATE-RESULT 0 thread=1")) << lines.dump();
    EXPECT_TRUE(lines.contains("DetachCurrentThread thread=1 live-local-refs=0 -> 0")) << lines.dump();
    EXPECT_TRUE(lines.containsPrefix("DestroyJavaVM begin thread=unattached ")) << lines.dump();
    expectNoMisuse();
}

TEST_F(FakeJvm, CreationRefusesWhatARealVmRefusesAndReturnsTheScriptedResult) {
    ASSERT_NE(load(), nullptr);
    writeScript(Script());
    EXPECT_EQ(create({"-Xmx64m", "-Xbogus"}), JNI_ERR);
    EXPECT_EQ(create({""}), JNI_ERR) << "an empty option is unrecognised";
    EXPECT_EQ(create({"--bogus"}), JNI_ERR);
    EXPECT_EQ(create({"-Xmxlots"}), JNI_EINVAL) << "a bad heap size is an invalid argument";
    EXPECT_EQ(create({"-XX:"}), JNI_EINVAL);
    EXPECT_EQ(create({"-Xcheck:foo"}), JNI_EINVAL);
    EXPECT_EQ(create({}, false, JNI_VERSION_1_1), JNI_EVERSION);
    EXPECT_EQ(vm_, nullptr);
    EXPECT_EQ(env_, nullptr);

    writeScript(Script().createResult(JNI_ENOMEM));
    EXPECT_EQ(create({"-Xbogus"}, true), JNI_ENOMEM) << "ignored, then the scripted result";
    writeScript(Script().createResult(-7));
    EXPECT_EQ(create({}), -7);
    writeScript(Script().checkOptions(false).createResult(JNI_EDETACHED));
    EXPECT_EQ(create({"-Xbogus"}), JNI_EDETACHED) << "with the check off any option passes";

    writeScript(Script().acceptOption("-Xfoo"));
    // clang-format off
    const std::vector<std::string> usual = {
        "-Dapp.home=C:\\app", "-Djava.library.path=C:\\app;.", "-Xms16m", "-Xmx1g", "-Xss512k", "-Xmn8M", "-verbose:gc",
        "-verbose", "-ea", "-da:com.acme...", "-esa", "-Xcheck:jni", "-Xrs", "-Xint",
        "-agentlib:jdwp=transport=dt_socket,server=y", "-javaagent:C:\\agent.jar", "-XX:+UseG1GC",
        "-XX:MaxRAMPercentage=50", "-XX:-UseCompressedOops", "--add-opens=java.base/java.lang=ALL-UNNAMED", "-Xlog:gc",
        "-Xshare:auto", "-Xfoo:bar", "-D", "-Dflag", "-verbose:anything"};
    // clang-format on
    EXPECT_EQ(create(usual), JNI_OK) << trace().dump();
    EXPECT_EQ(create({}), JNI_EEXIST) << "one VM per process";

    const Trace lines = trace();
    for (const char* line :
         {"UNRECOGNIZED -Xbogus", "UNRECOGNIZED ", "UNRECOGNIZED --bogus", "INVALID -Xmxlots",
          "INVALID -XX:", "INVALID -Xcheck:foo", "IGNORED -Xbogus", "VM-ERROR Unrecognized option: -Xbogus",
          "VM-ERROR Invalid maximum heap size: -Xmxlots", "VM-ERROR Unrecognized VM option ''",
          "VM-ERROR Unrecognized check option: -Xcheck:foo", "CREATE-RESULT -1", "CREATE-RESULT -6", "CREATE-RESULT -3",
          "CREATE-RESULT -4", "CREATE-RESULT -7", "CREATE-RESULT -2", "CREATE-RESULT 0 thread=1", "CREATE-RESULT -5"}) {
        EXPECT_TRUE(lines.contains(line)) << line << "\n" << lines.dump();
    }
    EXPECT_EQ(lines.after("UNRECOGNIZED ").size(), 3u) << lines.dump();
}

// --- running main --------------------------------------------------------------------

TEST_F(FakeJvm, MainGetsItsArgumentsFromCharArraysUnchanged) {
    Script script;
    script.appClass("com/acme/App").mainDoes(Step::printOut(L"h\u00e9llo"));
    writeScript(script);
    createOrFail();
    const std::vector<std::wstring> arguments = {
        L"plain",    L"caf\u00e9", L"\u4e2d\u6587",          L"smile \U0001F600",
        L"",         L"two words", L"back\\slash \"quote\"", std::wstring(L"lone ") + wchar_t{0xD800} + L"!",
        L"tab\there"};

    jclass app = env_->FindClass("com/acme/App");
    ASSERT_NE(app, nullptr);
    jmethodID main = env_->GetStaticMethodID(app, "main", kMainSignature);
    ASSERT_NE(main, nullptr);
    jobjectArray array = newJavaStringArray(env_, arguments);
    env_->CallStaticVoidMethod(app, main, array);
    EXPECT_FALSE(env_->ExceptionCheck());
    env_->DeleteLocalRef(array);
    jobjectArray empty = newJavaStringArray(env_, {});
    env_->CallStaticVoidMethod(app, main, empty);
    env_->DeleteLocalRef(empty);
    env_->DeleteLocalRef(app);
    EXPECT_EQ(vm_->DetachCurrentThread(), JNI_OK);

    const Trace lines = trace();
    EXPECT_EQ(lines.mainArguments(), arguments) << lines.dump();
    EXPECT_TRUE(lines.contains("MAIN-ENTER com/acme/App argc=9 thread=1")) << lines.dump();
    EXPECT_TRUE(lines.contains("ARG 3 smile \xF0\x9F\x98\x80")) << "a pair is one UTF-8 character\n" << lines.dump();
    EXPECT_TRUE(lines.contains("ARG 7 lone \\uD800!")) << lines.dump();
    EXPECT_TRUE(lines.contains("MAIN-ENTER com/acme/App argc=0 thread=1")) << "an empty array, not null\n"
                                                                           << lines.dump();
    EXPECT_TRUE(lines.contains("OUT h\xC3\xA9llo\\r\\n")) << lines.dump();
    EXPECT_EQ(lines.after("MAIN-RETURN com/acme/App").size(), 2u) << lines.dump();
    EXPECT_TRUE(lines.contains("JNI CallStaticVoidMethodV com/acme/App.main([Ljava/lang/String;)V")) << lines.dump();
    EXPECT_TRUE(lines.contains("DetachCurrentThread thread=1 live-local-refs=0 -> 0")) << lines.dump();
    EXPECT_FALSE(lines.containsPrefix("LEAK ")) << lines.dump();
    expectNoMisuse();
}

TEST_F(FakeJvm, MainLookupNeedsAStaticMainTakingStrings) {
    Script script;
    script.appClass("NoMain").main("none");
    script.appClass("InstanceMain").main("instance");
    writeScript(script);
    createOrFail();
    jclass noMain = env_->FindClass("NoMain");
    jclass instanceMain = env_->FindClass("InstanceMain");
    ASSERT_NE(noMain, nullptr);
    ASSERT_NE(instanceMain, nullptr);
    EXPECT_EQ(env_->GetStaticMethodID(noMain, "main", kMainSignature), nullptr);
    EXPECT_TRUE(env_->ExceptionCheck()) << "NoSuchMethodError is pending";
    env_->ExceptionClear();
    EXPECT_EQ(env_->GetStaticMethodID(instanceMain, "main", kMainSignature), nullptr);
    env_->ExceptionDescribe();
    EXPECT_NE(env_->GetMethodID(instanceMain, "main", kMainSignature), nullptr);
    EXPECT_EQ(env_->GetStaticMethodID(instanceMain, "main", "([Ljava/lang/String;)I"), nullptr);
    env_->ExceptionClear();

    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("JNI GetStaticMethodID NoMain main ([Ljava/lang/String;)V -> null")) << lines.dump();
    EXPECT_TRUE(lines.contains("JNI GetMethodID InstanceMain main ([Ljava/lang/String;)V -> found")) << lines.dump();
    EXPECT_EQ(lines.after("THROWN java/lang/NoSuchMethodError").size(), 3u) << lines.dump();
    EXPECT_TRUE(
        lines.contains("ERR Exception in thread \"main\" java.lang.NoSuchMethodError: "
                       "static LInstanceMain;.main([Ljava/lang/String;)V\\r\\n"))
        << lines.dump();
    expectNoMisuse();
}

TEST_F(FakeJvm, BootLoaderSeesOnlyTheRuntimesClassesAndNamesUseSlashes) {
    Script script;
    script.appClass("com/acme/App");
    writeScript(script);
    createOrFail();
    const auto findBootClass = entryPoint<FindBootClass>(library_, "JVM_FindClassFromBootLoader");
    ASSERT_NE(findBootClass, nullptr);
    EXPECT_NE(findBootClass(env_, "sun/launcher/LauncherHelper"), nullptr);
    EXPECT_NE(findBootClass(env_, "java/lang/String"), nullptr);
    EXPECT_EQ(findBootClass(env_, "com/acme/App"), nullptr);
    EXPECT_FALSE(env_->ExceptionCheck()) << "the boot loader fails quietly";
    EXPECT_NE(env_->FindClass("com/acme/App"), nullptr);
    EXPECT_EQ(env_->FindClass("com.acme.App"), nullptr) << "FindClass takes slashes";
    EXPECT_TRUE(env_->ExceptionCheck());
    env_->ExceptionDescribe();
    EXPECT_FALSE(env_->ExceptionCheck()) << "ExceptionDescribe clears the exception";
    EXPECT_EQ(env_->FindClass("does/not/Exist"), nullptr);
    env_->ExceptionDescribe();

    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("JVM_FindClassFromBootLoader sun/launcher/LauncherHelper -> found")) << lines.dump();
    EXPECT_TRUE(lines.contains("JVM_FindClassFromBootLoader com/acme/App -> null")) << lines.dump();
    EXPECT_TRUE(lines.contains("JNI FindClass com.acme.App -> null")) << lines.dump();
    // As HotSpot prints them: a dotted name is refused before any class loader is asked.
    EXPECT_TRUE(lines.contains("ERR Exception in thread \"main\" java.lang.NoClassDefFoundError: com.acme.App\\r\\n"))
        << lines.dump();
    EXPECT_TRUE(
        lines.contains("ERR Exception in thread \"main\" java.lang.NoClassDefFoundError: does/not/Exist\\r\\n"
                       "Caused by: java.lang.ClassNotFoundException: does.not.Exist\\r\\n"))
        << lines.dump();
    expectNoMisuse();
}

TEST_F(FakeJvm, LauncherHelperReturnsTheClassNamedWithDots) {
    Script script;
    script.appClass("com/acme/App");
    writeScript(script);
    createOrFail();
    const auto findBootClass = entryPoint<FindBootClass>(library_, "JVM_FindClassFromBootLoader");
    jclass helper = findBootClass(env_, "sun/launcher/LauncherHelper");
    ASSERT_NE(helper, nullptr);
    jmethodID check = env_->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    ASSERT_NE(check, nullptr);
    jstring name = newJavaString(env_, L"com.acme.App");
    jobject cls = env_->CallStaticObjectMethod(helper, check, JNI_TRUE, jint{1}, name);
    ASSERT_NE(cls, nullptr);
    // The result is the class: its main can be looked up.
    EXPECT_NE(env_->GetStaticMethodID(static_cast<jclass>(cls), "main", kMainSignature), nullptr);

    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("CHECK-AND-LOAD-MAIN printToStderr=1 mode=1 name=com.acme.App")) << lines.dump();
    EXPECT_TRUE(lines.contains("JNI GetStaticMethodID com/acme/App main ([Ljava/lang/String;)V -> found"))
        << lines.dump();
    expectNoMisuse();
}

TEST_F(FakeJvm, LauncherHelperInNullModeLeavesAnExceptionPending) {
    Script script;
    script.launcherHelper("null").appClass("Main");
    writeScript(script);
    createOrFail();
    const auto findBootClass = entryPoint<FindBootClass>(library_, "JVM_FindClassFromBootLoader");
    jclass helper = findBootClass(env_, "sun/launcher/LauncherHelper");
    ASSERT_NE(helper, nullptr);
    jmethodID check = env_->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    jstring name = newJavaString(env_, L"Main");
    EXPECT_EQ(env_->CallStaticObjectMethod(helper, check, JNI_TRUE, jint{1}, name), nullptr);
    EXPECT_TRUE(env_->ExceptionCheck());
    EXPECT_TRUE(trace().contains("THROWN java/lang/ClassNotFoundException thread=1")) << trace().dump();
}

TEST_F(FakeJvm, LauncherHelperCanBeMissing) {
    Script script;
    script.launcherHelper("missing").appClass("Main");
    writeScript(script);
    createOrFail();
    const auto findBootClass = entryPoint<FindBootClass>(library_, "JVM_FindClassFromBootLoader");
    EXPECT_EQ(findBootClass(env_, "sun/launcher/LauncherHelper"), nullptr);
    EXPECT_EQ(env_->FindClass("sun/launcher/LauncherHelper"), nullptr);
    env_->ExceptionClear();
    EXPECT_NE(env_->FindClass("Main"), nullptr);
}

TEST_F(FakeJvm, ScriptedMissingClassesAndMethodsAreNotFound) {
    writeScript(Script()
                    .missingClass("java/io/FileOutputStream")
                    .missingMethod("java/lang/System", "setErr", "(Ljava/io/PrintStream;)V"));
    createOrFail();
    EXPECT_EQ(env_->FindClass("java/io/FileOutputStream"), nullptr);
    EXPECT_TRUE(env_->ExceptionCheck());
    env_->ExceptionClear();
    jclass system = env_->FindClass("java/lang/System");
    ASSERT_NE(system, nullptr);
    EXPECT_NE(env_->GetStaticMethodID(system, "setOut", "(Ljava/io/PrintStream;)V"), nullptr);
    EXPECT_EQ(env_->GetStaticMethodID(system, "setErr", "(Ljava/io/PrintStream;)V"), nullptr);
    EXPECT_TRUE(env_->ExceptionCheck());
    env_->ExceptionClear();
    // A script names no application class: not even the default "Main" exists.
    EXPECT_EQ(env_->FindClass("Main"), nullptr);
    env_->ExceptionClear();
    expectNoMisuse();
}

TEST_F(FakeJvm, SecondaryMainRunsOnAnAttachedThreadAndReturnsItsInt) {
    Script script;
    script.appClass("Main").secondaryMain("int", 7).secondaryDoes(Step::printOut(L"second"));
    writeScript(script);
    createOrFail();
    const std::vector<std::wstring> arguments = {L"--open", L"file \u00e4.txt"};
    jint result = -100;
    bool voidFound = true;
    runOnThread(0, [&] {
        JNIEnv* env = nullptr;
        if (vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
        jclass main = env->FindClass("Main");
        voidFound = env->GetStaticMethodID(main, "secondaryMain", kMainSignature) != nullptr;
        env->ExceptionClear();
        jmethodID secondary = env->GetStaticMethodID(main, "secondaryMain", "([Ljava/lang/String;)I");
        jobjectArray array = newJavaStringArray(env, arguments);
        result = env->CallStaticIntMethod(main, secondary, array);
        env->DeleteLocalRef(array);
        env->DeleteLocalRef(main);
        vm_->DetachCurrentThread();
    });
    EXPECT_FALSE(voidFound);
    EXPECT_EQ(result, 7);

    const Trace lines = trace();
    EXPECT_EQ(lines.mainArguments("SECONDARY-"), arguments) << lines.dump();
    EXPECT_TRUE(lines.contains("AttachCurrentThread thread=2 args=null -> 0")) << lines.dump();
    EXPECT_TRUE(lines.contains("SECONDARY-ENTER Main argc=2 thread=2")) << lines.dump();
    EXPECT_TRUE(lines.contains("SECONDARY-RETURN Main result=7")) << lines.dump();
    EXPECT_TRUE(lines.contains("OUT second\\r\\n")) << lines.dump();
    EXPECT_TRUE(lines.contains("DetachCurrentThread thread=2 live-local-refs=0 -> 0")) << lines.dump();
    expectNoMisuse();
}

// --- exceptions and streams --------------------------------------------------------------

TEST_F(FakeJvm, StackTraceTextComesThroughAByteArrayOutputStream) {
    const std::wstring stackTrace =
        L"java.lang.IllegalStateException: b\u00f6\u00f6m\r\n\tat com.acme.App.main(App.java:7)\r\n";
    Script script;
    script.appClass("com/acme/App").mainDoes(Step::throws("java/lang/IllegalStateException", stackTrace));
    writeScript(script);
    createOrFail();
    jclass app = env_->FindClass("com/acme/App");
    jmethodID main = env_->GetStaticMethodID(app, "main", kMainSignature);
    jobjectArray array = newJavaStringArray(env_, {});
    env_->CallStaticVoidMethod(app, main, array);
    jthrowable thrown = env_->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);
    env_->ExceptionClear();

    // The launcher's way to the text: printStackTrace into a PrintStream over
    // a ByteArrayOutputStream, then its toString.
    jclass bytesClass = env_->FindClass("java/io/ByteArrayOutputStream");
    jobject bytes = env_->NewObject(bytesClass, env_->GetMethodID(bytesClass, "<init>", "()V"));
    jclass printClass = env_->FindClass("java/io/PrintStream");
    jobject print =
        env_->NewObject(printClass, env_->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V"), bytes);
    ASSERT_NE(print, nullptr);
    jclass thrownClass = env_->GetObjectClass(thrown);
    env_->CallVoidMethod(thrown, env_->GetMethodID(thrownClass, "printStackTrace", "(Ljava/io/PrintStream;)V"), print);
    jclass bytesClassAgain = env_->GetObjectClass(bytes);
    auto text = static_cast<jstring>(
        env_->CallObjectMethod(bytes, env_->GetMethodID(bytesClassAgain, "toString", "()Ljava/lang/String;")));
    ASSERT_NE(text, nullptr);
    const char* chars = env_->GetStringUTFChars(text, nullptr);
    ASSERT_NE(chars, nullptr);
    bool valid = false;
    EXPECT_EQ(fake_jvm::toWide(fake_jvm::fromModifiedUtf8(chars, valid)), stackTrace);
    EXPECT_TRUE(valid);
    env_->ReleaseStringUTFChars(text, chars);

    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("MAIN-THROW com/acme/App java/lang/IllegalStateException")) << lines.dump();
    EXPECT_TRUE(
        lines.contains("PRINT-STACK-TRACE java/lang/IllegalStateException -> "
                       "PrintStream(ByteArrayOutputStream)"))
        << lines.dump();
    EXPECT_TRUE(lines.contains("JNI GetObjectClass -> java/lang/IllegalStateException")) << lines.dump();
    expectNoMisuse();
}

TEST_F(FakeJvm, ExceptionPendingAtDetachIsPrintedAsUncaught) {
    Script script;
    script.appClass("Main").mainDoes(Step::throws("com/acme/Failure", L"com.acme.Failure: no\r\n"));
    writeScript(script);
    createOrFail();
    jclass main = env_->FindClass("Main");
    jobjectArray array = newJavaStringArray(env_, {});
    env_->CallStaticVoidMethod(main, env_->GetStaticMethodID(main, "main", kMainSignature), array);
    EXPECT_TRUE(env_->ExceptionCheck());
    EXPECT_EQ(vm_->DetachCurrentThread(), JNI_OK);

    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("UNCAUGHT thread=1 com/acme/Failure")) << lines.dump();
    EXPECT_TRUE(lines.contains("ERR Exception in thread \"main\" com.acme.Failure: no\\r\\n")) << lines.dump();
    EXPECT_TRUE(lines.contains("LEAK thread=1 local-refs=2: class Main, java.lang.String[0]")) << lines.dump();
}

TEST_F(FakeJvm, RedirectionWritesRealFilesAndHonoursTheAppendFlag) {
    Script script;
    script.appClass("Main").mainDoes(Step::printOut(L"hello \u00e4")).mainDoes(Step::printErr(L"oops"));
    writeScript(script);
    const std::wstring out = folder_.writeFile(L"logs\\out.log", "old\r\n");
    const std::wstring err = folder_.writeFile(L"logs\\err.log", "stale stale stale");
    createOrFail();

    const auto redirect = [this](const std::wstring& file, bool append, const char* setter) {
        jstring name = newJavaString(env_, file);
        jclass fileClass = env_->FindClass("java/io/FileOutputStream");
        jobject stream = env_->NewObject(fileClass, env_->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V"),
                                         name, append ? JNI_TRUE : JNI_FALSE);
        if (stream == nullptr) return false;
        jclass printClass = env_->FindClass("java/io/PrintStream");
        jobject print =
            env_->NewObject(printClass, env_->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V"), stream);
        jclass system = env_->FindClass("java/lang/System");
        env_->CallStaticVoidMethod(system, env_->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V"), print);
        return !env_->ExceptionCheck();
    };
    EXPECT_TRUE(redirect(out, true, "setOut"));
    EXPECT_TRUE(redirect(err, false, "setErr"));
    EXPECT_FALSE(redirect(folder_ / L"missing\\x.log", true, "setOut")) << "Java creates no folders";
    jthrowable failure = env_->ExceptionOccurred();
    ASSERT_NE(failure, nullptr);
    env_->ExceptionDescribe();  // into the redirected error stream

    jclass main = env_->FindClass("Main");
    jobjectArray array = newJavaStringArray(env_, {});
    env_->CallStaticVoidMethod(main, env_->GetStaticMethodID(main, "main", kMainSignature), array);

    EXPECT_EQ(fake_jvm::readBinaryFile(out), "old\r\nhello \xC3\xA4\r\n");
    const std::string missing = fake_jvm::toUtf8(fake_jvm::toU16(folder_ / L"missing\\x.log"));
    EXPECT_EQ(fake_jvm::readBinaryFile(err), "Exception in thread \"main\" java.io.FileNotFoundException: " + missing +
                                                 " (The system cannot find the path specified)\r\noops\r\n");
    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("SETOUT PrintStream(FileOutputStream(" + fake_jvm::escapeText(fake_jvm::toU16(out)) +
                               ",append=true))"))
        << lines.dump();
    EXPECT_TRUE(lines.contains("FILE-OPEN append=0 result=ok " + fake_jvm::escapeText(fake_jvm::toU16(err))))
        << lines.dump();
    EXPECT_TRUE(lines.containsPrefix("FILE-OPEN append=1 result=error 3 ")) << lines.dump();
    EXPECT_TRUE(lines.contains("OUT hello \xC3\xA4\\r\\n")) << lines.dump();
    EXPECT_TRUE(lines.contains("ERR oops\\r\\n")) << lines.dump();
}

// --- teardown ------------------------------------------------------------------------

TEST_F(FakeJvm, DestroyWaitsForTheNonDaemonThreadsOfMain) {
    Script script;
    script.appClass("Main").mainDoes(Step::nonDaemonThread(400));
    writeScript(script);
    createOrFail();
    jclass main = env_->FindClass("Main");
    jobjectArray array = newJavaStringArray(env_, {});
    env_->CallStaticVoidMethod(main, env_->GetStaticMethodID(main, "main", kMainSignature), array);
    ASSERT_EQ(vm_->DetachCurrentThread(), JNI_OK);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(vm_->DestroyJavaVM(), JNI_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

    JNIEnv* late = nullptr;
    EXPECT_EQ(vm_->AttachCurrentThread(reinterpret_cast<void**>(&late), nullptr), JNI_ERR);
    EXPECT_EQ(create({}), JNI_ERR) << "a destroyed VM cannot be created again";

    const Trace lines = trace();
    const auto begin = lines.findPrefix("DestroyJavaVM begin thread=unattached ");
    const auto threadEnd = lines.findPrefix("NONDAEMON-END ");
    const auto end = lines.findPrefix("DestroyJavaVM end ");
    ASSERT_TRUE(begin && threadEnd && end) << lines.dump();
    EXPECT_TRUE(lines.lines()[*begin].ends_with(" nondaemon=1 attached-others=0")) << lines.dump();
    EXPECT_LT(*begin, *threadEnd);
    EXPECT_LT(*threadEnd, *end);
    expectNoMisuse();
}

TEST_F(FakeJvm, DestroyWaitsForAttachedThreadsToDetach) {
    createOrFail();
    const UniqueHandle attached(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread worker([&] {
        JNIEnv* env = nullptr;
        vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
        SetEvent(attached.get());
        Sleep(400);
        vm_->DetachCurrentThread();
    });
    WaitForSingleObject(attached.get(), INFINITE);
    // The creating thread is still attached and calls DestroyJavaVM itself.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(vm_->DestroyJavaVM(), JNI_OK);
    const auto waited = std::chrono::steady_clock::now() - start;
    worker.join();
    EXPECT_GE(waited, std::chrono::milliseconds(300));

    const Trace lines = trace();
    const auto begin = lines.findPrefix("DestroyJavaVM begin thread=1 ");
    const auto workerDetached = lines.find("DetachCurrentThread thread=2 live-local-refs=0 -> 0");
    const auto end = lines.findPrefix("DestroyJavaVM end ");
    ASSERT_TRUE(begin && workerDetached && end) << lines.dump();
    EXPECT_TRUE(lines.lines()[*begin].ends_with(" nondaemon=0 attached-others=1")) << lines.dump();
    EXPECT_LT(*begin, *workerDetached);
    EXPECT_LT(*workerDetached, *end);
    expectNoMisuse();
}

// --- misuse ------------------------------------------------------------------------------

TEST_F(FakeJvm, CallsWithAnExceptionPendingAreMisuse) {
    createOrFail();
    EXPECT_EQ(env_->FindClass("does/not/Exist"), nullptr);
    jthrowable pending = env_->ExceptionOccurred();
    EXPECT_NE(pending, nullptr);
    EXPECT_TRUE(env_->ExceptionCheck());
    env_->DeleteLocalRef(pending);  // allowed with an exception pending
    jclass string = env_->FindClass("java/lang/String");
    EXPECT_NE(string, nullptr) << "the call still works";
    env_->ExceptionClear();
    env_->DeleteLocalRef(string);
    env_->DeleteLocalRef(env_->FindClass("java/lang/String"));

    const Trace lines = trace();
    EXPECT_EQ(lines.misuses(),
              std::vector<std::string>{"FindClass: called with an exception pending (java/lang/NoClassDefFoundError) "
                                       "on thread 1"})
        << lines.dump();
}

TEST_F(FakeJvm, CallsFromThreadsThatAreNotAttachedAreMisuse) {
    createOrFail();
    JNIEnv* const mainEnv = env_;
    jint detachedGetEnv = JNI_OK;
    std::thread stranger([&] {
        mainEnv->DeleteLocalRef(mainEnv->FindClass("java/lang/String"));
        void* env = nullptr;
        detachedGetEnv = vm_->GetEnv(&env, JNI_VERSION_1_2);
    });
    stranger.join();
    EXPECT_EQ(detachedGetEnv, JNI_EDETACHED);

    jint attachedGetEnv = JNI_ERR;
    bool sameEnv = false;
    std::thread guest([&] {
        JNIEnv* env = nullptr;
        if (vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
        void* current = nullptr;
        attachedGetEnv = vm_->GetEnv(&current, JNI_VERSION_1_2);
        sameEnv = current == env;
        env->DeleteLocalRef(env->FindClass("java/lang/String"));  // fine
        jclass wrong = mainEnv->FindClass("java/lang/String");    // another thread's env
        env->DeleteLocalRef(wrong);
        vm_->DetachCurrentThread();
    });
    guest.join();
    EXPECT_EQ(attachedGetEnv, JNI_OK);
    EXPECT_TRUE(sameEnv);

    const Trace lines = trace();
    const std::vector<std::string> expected = {
        "FindClass: called on a thread that is not attached to the VM (thread 2 (unattached))",
        "DeleteLocalRef: called on a thread that is not attached to the VM (thread 2 (unattached))",
        "FindClass: called with the JNIEnv of thread 1 on thread 3"};
    EXPECT_EQ(lines.misuses(), expected) << lines.dump();
    EXPECT_TRUE(lines.contains("GetEnv version=0x00010002 -> -2")) << lines.dump();
    EXPECT_TRUE(lines.contains("DetachCurrentThread thread=3 live-local-refs=0 -> 0")) << lines.dump();
}

TEST_F(FakeJvm, BadReferencesIdsAndLeaksAreMisuse) {
    createOrFail();
    jclass string = env_->FindClass("java/lang/String");
    env_->DeleteLocalRef(string);
    env_->DeleteLocalRef(string);
    env_->DeleteLocalRef(env_->GetObjectClass(string));
    env_->DeleteLocalRef(reinterpret_cast<jobject>(std::uintptr_t{0x1230}));
    EXPECT_EQ(env_->GetMethodID(nullptr, "toString", "()Ljava/lang/String;"), nullptr);
    env_->ExceptionClear();
    jclass system = env_->FindClass("java/lang/System");
    env_->CallStaticVoidMethod(system, nullptr);
    // A class where a PrintStream belongs.
    env_->CallStaticVoidMethod(system, env_->GetStaticMethodID(system, "setOut", "(Ljava/io/PrintStream;)V"), system);
    jstring text = env_->NewStringUTF("kept");
    const char* chars = env_->GetStringUTFChars(text, nullptr);
    ASSERT_NE(chars, nullptr);
    env_->ReleaseStringUTFChars(text, "not from GetStringUTFChars");
    for (int i = 0; i < 31; ++i) env_->FindClass("java/lang/Object");
    ASSERT_EQ(vm_->DetachCurrentThread(), JNI_OK);

    const Trace lines = trace();
    const std::vector<std::string> expected = {
        "DeleteLocalRef: reference is not live (deleted twice?): class java/lang/String",
        "GetObjectClass: use of a deleted local reference (class java/lang/String)",
        "DeleteLocalRef: not a reference: 0x1230",
        "GetMethodID: null class",
        "CallStaticVoidMethodV: null method ID",
        "CallStaticVoidMethodV: argument 0 of java/lang/System.setOut(Ljava/io/PrintStream;)V is class "
        "java/lang/System, not Ljava/io/PrintStream;",
        "ReleaseStringUTFChars: pointer not from GetStringUTFChars, or released twice",
        "FindClass: JNI local refs: 33, exceeds capacity: 32 on thread 1"};
    EXPECT_EQ(lines.misuses(), expected) << lines.dump();
    // Still live: System, the string and the 31 classes.
    EXPECT_TRUE(lines.contains("DetachCurrentThread thread=1 live-local-refs=33 -> 0")) << lines.dump();
    EXPECT_TRUE(
        lines.containsPrefix("LEAK thread=1 local-refs=33: class java/lang/System, String \"kept\", class "
                             "java/lang/Object"))
        << lines.dump();
    EXPECT_TRUE(lines.contains("LEAK thread=1 utf-chars=1")) << lines.dump();
}

// --- what ends the process (in a child) --------------------------------------------------

TEST_F(FakeJvm, SystemExitFromMainRunsTheExitHookThenEndsTheProcess) {
    Script script;
    script.appClass("com/acme/App").mainDoes(Step::nonDaemonThread(60000)).mainDoes(Step::exit(7));
    writeScript(script);
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"run-main com/acme/App"), 7);
    EXPECT_EQ(hookLogOf(hooks), "exit-hook 7\n");
    const Trace lines = trace();
    const auto exit = lines.find("SYSTEM-EXIT 7 thread=1");
    const auto hook = lines.find("EXIT-HOOK 7");
    const auto returned = lines.find("EXIT-HOOK-RETURNED 7");
    const auto process = lines.find("EXIT-PROCESS 7");
    ASSERT_TRUE(exit && hook && returned && process) << lines.dump();
    EXPECT_LT(*exit, *hook);
    EXPECT_LT(*hook, *returned);
    EXPECT_LT(*returned, *process);
}

TEST_F(FakeJvm, SystemExitCalledByTheLauncherEndsTheProcessWithItsStatus) {
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"system-exit -1"), -1);
    EXPECT_EQ(hookLogOf(hooks), "exit-hook -1\n");
    EXPECT_TRUE(trace().contains("JNI CallStaticVoidMethodV java/lang/System.exit(I)V")) << trace().dump();
}

TEST_F(FakeJvm, CheckAndLoadMainEndsTheProcessLikeARealVmWhenTheMainClassIsUnusable) {
    Script script;
    script.appClass("com/acme/App");
    script.appClass("com/acme/Instance").main("instance");
    script.appClass("com/acme/NoMain").main("none");
    writeScript(script);
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"check-and-load-main com/acme/Missing"), 1);
    EXPECT_EQ(drive(hooks, L"check-and-load-main com.acme.Instance"), 1);
    EXPECT_EQ(drive(hooks, L"check-and-load-main com.acme.NoMain"), 1);
    EXPECT_EQ(drive(hooks, L"check-and-load-main com.acme.App"), 0);
    EXPECT_EQ(drive(hooks, L"check-and-load-main com/acme/App"), 0) << "LauncherHelper turns slashes into dots";
    EXPECT_EQ(hookLogOf(hooks), "exit-hook 1\nexit-hook 1\nexit-hook 1\n");
    const Trace lines = trace();
    const std::string define =
        ", please define the main method as:\\r\\n   public static void main(String[] args)\\r\\n";
    EXPECT_TRUE(
        lines.contains("ERR Error: Could not find or load main class com.acme.Missing\\r\\n"
                       "Caused by: java.lang.ClassNotFoundException: com.acme.Missing\\r\\n"))
        << lines.dump();
    EXPECT_TRUE(lines.contains("ERR Error: Main method is not static in class com.acme.Instance" + define))
        << lines.dump();
    EXPECT_TRUE(lines.contains("ERR Error: Main method not found in class com.acme.NoMain" + define +
                               "or a JavaFX application class must extend javafx.application.Application\\r\\n"))
        << lines.dump();
    EXPECT_EQ(lines.after("SYSTEM-EXIT 1 thread=1").size(), 3u) << lines.dump();
    EXPECT_TRUE(lines.contains("CHECK-AND-LOAD-MAIN printToStderr=1 mode=1 name=com/acme/App")) << lines.dump();
}

TEST_F(FakeJvm, AbortFromMainRunsTheAbortHookThenEndsTheProcess) {
    Script script;
    script.appClass("Main").mainDoes(Step::sleep(50)).mainDoes(Step::abort()).mainDoes(Step::printOut(L"never"));
    writeScript(script);
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"run-main Main"), 3);
    EXPECT_EQ(hookLogOf(hooks), "abort-hook\n");
    const Trace lines = trace();
    const auto slept = lines.find("SLEEP ms=50");
    const auto abort = lines.find("ABORT-HOOK");
    const auto returned = lines.find("ABORT-HOOK-RETURNED");
    const auto process = lines.find("EXIT-PROCESS 3");
    ASSERT_TRUE(slept && abort && returned && process) << lines.dump();
    EXPECT_LT(*slept, *abort);
    EXPECT_LT(*returned, *process);
    EXPECT_FALSE(lines.containsPrefix("OUT ")) << lines.dump();
}

TEST_F(FakeJvm, WithoutAScriptMainExistsAndReturns) {
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"run-main Main"), 0);
    const Trace lines = trace();
    EXPECT_TRUE(lines.contains("SCRIPT (defaults)")) << lines.dump();
    EXPECT_TRUE(lines.contains("MAIN-ENTER Main argc=0 thread=1")) << lines.dump();
    EXPECT_TRUE(lines.contains("MAIN-RETURN Main")) << lines.dump();
    EXPECT_EQ(hookLogOf(hooks), "");
}

TEST_F(FakeJvm, AnUnexpectedJniCallEndsTheProcessWith0x7E57) {
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"unexpected-call"), 0x7E57);
    EXPECT_TRUE(trace().contains("UNEXPECTED JNI call GetVersion (JNIEnv slot 4)")) << trace().dump();
}

TEST_F(FakeJvm, AMalformedScriptEndsTheProcessWith0x7E58) {
    writeScript("[vm]\ncheck-options = maybe\n");
    const std::wstring hooks = folder_ / L"hooks.log";
    EXPECT_EQ(drive(hooks, L"run-main Main"), 0x7E58);
    const auto errors = trace().after("SCRIPT-ERROR ");
    ASSERT_EQ(errors.size(), 1u) << trace().dump();
    EXPECT_TRUE(errors[0].ends_with(" line 2: check-options is yes or no")) << errors[0];
}

}  // namespace
}  // namespace jlaunch::test
