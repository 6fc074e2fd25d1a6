// Packed launchers under Wine: settings embedded by jlaunch-pack (the
// Windows build, through the system's resource update functions) start the
// application through the real exe with only the "Upgrade Code" beside it;
// what cannot be deciphered ends with the new messages; the branding reads
// back through the Windows API; the console build reports on standard error.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>

#include "common/handles_win.h"
#include "common/messages.h"
#include "common/paths.h"
#include "../support/splash_pictures.h"
#include "hosting_end_to_end_test.h"
#include "packer.h"
#include "pe_image.h"

namespace jlaunch::test {
namespace {

using hosting::kApplication;
using hosting::kClassPath;
using hosting::kJre;
using hosting::Launch;
using hosting::message;
using hosting::Settings;

const std::wstring kProduct = L"Product Information";
const std::wstring kCode = L"{6F1C2A5E-jlaunch-test}";

// The console build beside the GUI build under test.
std::wstring consoleLauncher() {
    const std::wstring gui = launcherUnderTest();
    return gui.substr(0, gui.find_last_of(L'\\') + 1) + L"jlaunchc.exe";
}

// A bitmap icon image of `size` pixels square, 32 bits per pixel.
std::string iconImage(int size, std::uint8_t shade) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = size;
    header.biHeight = 2 * size;  // colour rows, then the mask's
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::string image(reinterpret_cast<const char*>(&header), sizeof header);
    image.append(static_cast<std::size_t>(size * size * 4), static_cast<char>(shade));
    image.append(static_cast<std::size_t>(size * ((size + 31) / 32) * 4), '\0');
    return image;
}

// An .ico file of the images, each with its size in the directory.
std::string iconFile(const std::vector<std::pair<int, std::string>>& images) {
    std::string file(6 + 16 * images.size(), '\0');
    const auto put16 = [&file](std::size_t at, unsigned value) {
        file[at] = static_cast<char>(value & 0xFF);
        file[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    };
    put16(2, 1);
    put16(4, static_cast<unsigned>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        file[entry] = static_cast<char>(images[i].first);
        file[entry + 1] = static_cast<char>(images[i].first);
        put16(entry + 4, 1);
        put16(entry + 6, 32);
        put16(entry + 8, static_cast<unsigned>(images[i].second.size()));
        put16(entry + 12, static_cast<unsigned>(file.size()));
        file += images[i].second;
    }
    return file;
}

class PackedLaunch : public hosting::HostingLaunch {
protected:
    // Embeds what the fixture would have written beside the exe (JRE Path,
    // Main Class, Class Path) plus `more`, with kCode, into the copy; beside
    // it only the "Upgrade Code" remains.
    void packSettings(const std::wstring& launcher = launcherUnderTest(),
                      const std::vector<std::pair<std::wstring, std::wstring>>& more = {},
                      const std::vector<std::wstring>& options = {}) {
        Settings embedded = settings_;
        embedded.set(kProduct, L"Upgrade Code", kCode).set(kApplication, L"Cmd", L"--embedded");
        for (const auto& [section, key] : more) {
            embedded.set(section, key, L"Yes");
        }
        const std::wstring ini = files_.writeFile(L"embedded.ini", embedded.bytes());
        std::vector<std::wstring> arguments = {L"--launcher", launcher, L"--settings", ini, L"--out", copy_.exePath()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::string out;
        std::string errors;
        ASSERT_EQ(pack::runPack(arguments, out, errors), 0) << errors;
        EXPECT_NE(out.find("Upgrade Code=" + narrowForReport(kCode)), std::string::npos) << out;
        settings_ = Settings().set(kProduct, L"Upgrade Code", kCode);
    }
};

TEST_F(PackedLaunch, RunsFromItsEmbeddedSettingsWhichAKeyBesideOverridesAndAPlusSectionExtends) {
    packSettings();
    const auto hasOption = [](const Launch& launched, const std::string& option) {
        const auto options = launched.trace.options();
        return std::find(options.begin(), options.end(), option) != options.end();
    };
    Launch launched = launch(L"first");
    expectCleanRun(launched);
    EXPECT_TRUE(launched.trace.contains("MAIN-ENTER com/acme/App argc=2 thread=1")) << launched.report();
    EXPECT_TRUE(launched.trace.contains("ARG 1 --embedded")) << launched.report();
    EXPECT_TRUE(hasOption(launched, hosting::ansi(L"-Djava.class.path=" + copy_.exeFolder() + L"\\app.jar")))
        << launched.report();

    settings_.set(kClassPath, L"Class Path", L"C:\\other.jar").set(kApplication + L"+", L"Cmd", L"--extended");
    launched = launch();
    expectCleanRun(launched);
    EXPECT_TRUE(hasOption(launched, "-Djava.class.path=C:\\other.jar")) << launched.report();
    EXPECT_TRUE(launched.trace.contains("ARG 0 --embedded")) << launched.report();
    EXPECT_TRUE(launched.trace.contains("ARG 1 --extended")) << launched.report();
}

TEST_F(PackedLaunch, SplashScreenFromTheEmbeddedSettingsIsShown) {
    const std::wstring picture = files_.writeFile(L"splash.png", splash_test::pngFile(40, 30));
    const std::wstring display = L"Display";
    useJavaHome(fake_jvm::Variant::SplashDouble);
    settings_.set(display, L"Splash Screen", picture).set(display, L"Preffer Native Splash Screen", L"Yes");
    packSettings();
    const Launch launched = launch();
    expectCleanRun(launched);
    EXPECT_TRUE(launched.trace.contains("SPLASH LoadFile \"" + fake_jvm::escapeBytes(hosting::ansi(picture)) + "\""))
        << launched.report();
    // "-nosplash" still wins over the embedded settings.
    const Launch without = launch(L"-nosplash");
    expectCleanRun(without);
    EXPECT_FALSE(without.trace.containsPrefix("SPLASH ")) << without.report();
}

// Names the launcher does not know are traced with the nearest it does, from
// the file beside the exe and from the embedded settings (compared exactly
// there), and the launch goes on.
TEST_F(PackedLaunch, TheTraceNamesUnknownSectionsAndKeysWithTheNearestKnownOne) {
    packSettings(launcherUnderTest(), {{L"application", L"Failure Check"}});
    settings_.set(kJre, L"Virtual Machine Parametres", L"-Xmx1g").set(L"Aplication", L"Cmd", L"--lost");
    const std::wstring launcherTrace = files_ / L"launcher-trace.txt";
    const Launch launched = launch({}, {{L"JLAUNCH_TRACE", launcherTrace}});
    expectCleanRun(launched);
    const std::string traced = readFileBytes(launcherTrace).value_or("");
    for (const char* line : {
             "settings file: unknown key \"Virtual Machine Parametres\" in [Java Runtime Environment] is not read; "
             "did you mean [Java Runtime Environment] Virtual Machine Parameters?",
             "settings file: unknown section [Aplication] is not read; did you mean [Application]?",
             "embedded settings: unknown section [application] is not read; did you mean [Application]?",
         }) {
        EXPECT_NE(traced.find(line), std::string::npos) << line << "\n" << traced;
    }
    EXPECT_FALSE(launched.trace.contains("ARG 1 --lost")) << launched.report();
}

TEST_F(PackedLaunch, SettingsThatCannotBeDecipheredEndTheLaunchWithTheirMessage) {
    struct Case {
        const char* what;
        std::optional<std::wstring> code;  // beside the exe
        bool flipByte;
        unsigned messageId;
    };
    const Case cases[] = {
        {"wrong code", L"{6F1C2A5E-jlaunch-tesT}", false, kMsgEmbeddedUnreadable},
        {"no code", std::nullopt, false, kMsgEmbeddedCodeMissing},
        {"a byte of the resource flipped", kCode, true, kMsgEmbeddedUnreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        packSettings();
        settings_ = c.code ? Settings().set(kProduct, L"Upgrade Code", *c.code) : Settings().set(kProduct, L"X", L"1");
        if (c.flipByte) {
            auto bytes = readFileBytes(copy_.exePath());
            ASSERT_TRUE(bytes);
            // The envelope is the last "JLS1" in the file: the resources follow the code.
            const std::size_t at = bytes->rfind("JLS1");
            ASSERT_NE(at, std::string::npos);
            (*bytes)[at + 40] = static_cast<char>((*bytes)[at + 40] ^ 0x01);
            copy_.folder().writeFile(L"app.exe", *bytes);
        }
        const Launch launched = launch();
        expectFailure(launched, message(c.messageId, {copy_.settingsPath()}));
        EXPECT_TRUE(launched.trace.empty()) << "the VM was loaded\n" << launched.report();
    }
}

// A resource entry whose size or address is damaged is refused before a byte
// is read: the launcher must not fault on memory outside its image.
TEST_F(PackedLaunch, DamagedSettingsEntryIsReportedNotRead) {
    struct Case {
        const char* what;
        std::size_t field;  // 0: the address, 4: the size
        std::uint32_t value;
    };
    const Case cases[] = {
        {"size 1 MiB", 4, 0x100000},
        {"size 2 GiB", 4, 0x7FFFFFFF},
        {"size 4 GiB", 4, 0xFFFFFFFF},
        {"address past the image", 0, 0x7FFF0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        packSettings();
        auto bytes = readFileBytes(copy_.exePath());
        ASSERT_TRUE(bytes);
        const std::span<const std::uint8_t> view(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
        std::string error;
        const auto image = pack::PeImage::parse(view, error);
        ASSERT_TRUE(image) << error;
        const std::size_t at = bytes->rfind("JLS1");
        ASSERT_NE(at, std::string::npos);
        std::uint32_t rva = 0;
        for (const pack::PeSection& s : image->sections()) {
            if (at >= s.rawPointer && at - s.rawPointer < s.rawSize) {
                rva = static_cast<std::uint32_t>(at - s.rawPointer + s.virtualAddress);
            }
        }
        // The data entry: the envelope's address followed by a size that ends inside the file.
        std::string entry(4, '\0');
        std::memcpy(entry.data(), &rva, 4);
        std::size_t dataEntry = bytes->find(entry);
        std::uint32_t size = 0;
        while (dataEntry != std::string::npos && dataEntry + 8 <= bytes->size()) {
            std::memcpy(&size, bytes->data() + dataEntry + 4, 4);
            if (size >= 36 && at + size <= bytes->size()) {
                break;
            }
            dataEntry = bytes->find(entry, dataEntry + 1);
        }
        ASSERT_NE(dataEntry, std::string::npos);
        std::memcpy(bytes->data() + dataEntry + c.field, &c.value, 4);
        copy_.folder().writeFile(L"app.exe", *bytes);
        const Launch launched = launch();
        expectFailure(launched, message(kMsgEmbeddedUnreadable, {copy_.settingsPath()}));
        EXPECT_TRUE(launched.trace.empty()) << "the VM was loaded\n" << launched.report();
    }
}

// bcrypt.dll is no KnownDLL: the packed exe must take the system's copy even
// with a planted one beside it and Wine preferring what it finds (its own
// ctest entry sets WINEDLLOVERRIDES=bcrypt=n,b).
TEST_F(PackedLaunch, ADllPlantedBesideTheExeIsNeverLoaded) {
    // Wine keeps its own variables from the program: the ctest entry that sets
    // the override says so in one of ours.
    if (std::getenv("JLAUNCH_NATIVE_BCRYPT_FIRST") == nullptr) {
        GTEST_SKIP() << "windows.packaging.PlantedBcryptIsNeverLoaded runs this with bcrypt=n,b";
    }
    packSettings();
    const std::wstring program = testProgramPath();
    const std::wstring planted = program.substr(0, program.find_last_of(L'\\')) + L"\\planted\\bcrypt.dll";
    ASSERT_NE(CopyFileW(planted.c_str(), (copy_.exeFolder() + L"\\bcrypt.dll").c_str(), FALSE), FALSE)
        << "no " << narrowForReport(planted);
    const Launch launched = launch(L"first");
    expectCleanRun(launched);
    EXPECT_TRUE(launched.trace.contains("ARG 1 --embedded")) << launched.report();
    EXPECT_FALSE(pathExists(copy_.exeFolder() + L"\\planted-dll-ran")) << "the planted DLL ran";
}

TEST_F(PackedLaunch, IconVersionAndExecutionLevelReadBackThroughTheWindowsApi) {
    const auto original = readFileBytes(launcherUnderTest());
    ASSERT_TRUE(original);
    const std::vector<std::pair<int, std::string>> images = {{16, iconImage(16, 0x40)}, {32, iconImage(32, 0x80)}};
    const std::wstring ico = files_.writeFile(L"app.ico", iconFile(images));
    packSettings(
        launcherUnderTest(), {},
        {L"--icon", ico, L"--version", L"1.2.3.4", L"--name", L"My App \u00e9", L"--company", L"Acme", L"--copyright",
         L"(c) Acme", L"--description", L"The app", L"--execution-level", L"highestAvailable"});
    EXPECT_EQ(readFileBytes(launcherUnderTest()), original) << "the launcher packed from was changed";

    const std::wstring exe = copy_.exePath();
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
    const auto text = [&block](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT size = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        return VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &size) && value != nullptr
                   ? std::wstring(value)
                   : std::wstring(L"(none)");
    };
    const std::pair<const wchar_t*, std::wstring> expected[] = {
        {L"ProductName", L"My App \u00e9"}, {L"CompanyName", L"Acme"},         {L"LegalCopyright", L"(c) Acme"},
        {L"FileDescription", L"The app"},   {L"FileVersion", L"1.2.3.4"},      {L"ProductVersion", L"1.2.3.4"},
        {L"InternalName", L"app"},          {L"OriginalFilename", L"app.exe"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(text(name), value) << narrowForReport(name);
    }

    const UniqueModule module(
        LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module.valid());
    const auto resource = [&module](LPCWSTR type, LPCWSTR name) {
        HRSRC info = FindResourceW(module.get(), name, type);
        HGLOBAL loaded = info != nullptr ? LoadResource(module.get(), info) : nullptr;
        const char* data = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        return data != nullptr ? std::string(data, SizeofResource(module.get(), info)) : std::string();
    };
    const std::string group = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_EQ(group.size(), 6 + 14 * images.size());
    EXPECT_EQ(static_cast<unsigned char>(group[4]), images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const char* entry = group.data() + 6 + 14 * i;
        EXPECT_EQ(static_cast<unsigned char>(entry[0]), images[i].first);
        WORD id = 0;
        std::memcpy(&id, entry + 12, sizeof id);
        EXPECT_EQ(resource(RT_ICON, MAKEINTRESOURCEW(id)), images[i].second) << "image " << i;
    }
    // Windows picks the image of the size asked for from the group.
    const int best = LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(group.data())), TRUE, 32, 32,
                                                 LR_DEFAULTCOLOR);
    EXPECT_EQ(resource(RT_ICON, MAKEINTRESOURCEW(best)), images[1].second);
    const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    EXPECT_NE(manifest.find("level=\"highestAvailable\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos) << "the rest of the manifest was lost";
}

TEST_F(PackedLaunch, TheToolRefusesWhatIsNotALauncherOrNotAnIconAndNeverOverwritesItsInput) {
    const std::wstring ini = files_.writeFile(L"app.ini", "[Product Information]\r\nUpgrade Code=C\r\n");
    const std::wstring notIcon = files_.writeFile(L"app.ico", std::string(64, 'x'));
    const std::wstring output = files_ / L"out.exe";
    // A PE of ours that is not a launcher (the test program itself carries the launcher's resources).
    const std::wstring program = testProgramPath();
    const std::wstring notLauncher = program.substr(0, program.find_last_of(L'\\') + 1) + L"resource_dump.exe";
    std::wstring shouting = copy_.exePath();
    for (wchar_t& c : shouting) {
        c = static_cast<wchar_t>(towupper(c));
    }
    struct Case {
        const char* what;
        std::vector<std::wstring> arguments;
        std::string message;
    };
    const Case cases[] = {
        {"a program that is not a jlaunch launcher",
         {L"--launcher", notLauncher, L"--settings", ini, L"--out", output},
         "not a jlaunch launcher"},
        {"an icon that is not one",
         {L"--launcher", copy_.exePath(), L"--settings", ini, L"--out", output, L"--icon", notIcon},
         "not an icon file"},
        {"the launcher itself, spelt in capitals",
         {L"--launcher", copy_.exePath(), L"--settings", ini, L"--out", shouting},
         "the output is the launcher itself"},
    };
    const auto before = readFileBytes(copy_.exePath());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out;
        std::string errors;
        EXPECT_EQ(pack::runPack(c.arguments, out, errors), 1);
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        EXPECT_EQ(GetFileAttributesW(output.c_str()), INVALID_FILE_ATTRIBUTES) << "an output was written";
    }
    EXPECT_EQ(readFileBytes(copy_.exePath()), before);
}

TEST_F(PackedLaunch, TheToolWritesToLongAndUnicodePaths) {
    // Past MAX_PATH, with characters outside every ANSI code page.
    std::wstring folder = L"\\\\?\\" + files_.path();
    for (int i = 0; i < 6; ++i) {
        folder += L"\\" + std::wstring(48, static_cast<wchar_t>(L'a' + i)) + L"\u4e2d\u00e9";
    }
    ASSERT_TRUE(createFolders(folder));
    const std::wstring output = folder + L"\\My \u00c4pp \u4e2d.exe";
    ASSERT_GT(output.size(), 300u);
    const std::wstring ini = files_.writeFile(L"app.ini", "[Product Information]\r\nUpgrade Code=C\r\n");
    std::string out;
    std::string errors;
    ASSERT_EQ(
        pack::runPack({L"--launcher", launcherUnderTest(), L"--settings", ini, L"--out", output, L"--name", L"\u4e2d"},
                      out, errors),
        0)
        << errors;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &data));
    EXPECT_GT(data.nFileSizeLow, 0u);
}

// The console build started with its standard error in a file.
struct ConsoleRun {
    std::optional<std::int32_t> exitCode;
    std::string errors;
};

ConsoleRun runConsole(const std::wstring& exe, const std::wstring& errorFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    ConsoleRun run;
    {
        const UniqueFileHandle file(CreateFileW(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = file.get();
        startup.hStdOutput = file.get();
        PROCESS_INFORMATION process{};
        std::wstring commandLine = quoted(exe);
        if (!file || !CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                     &startup, &process)) {
            ADD_FAILURE() << "cannot start " << narrowForReport(exe) << ": " << GetLastError();
            return run;
        }
        const UniqueHandle processHandle(process.hProcess);
        const UniqueHandle thread(process.hThread);
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(kExitTimeout.count())) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            ADD_FAILURE() << "the console launcher did not end";
            return run;
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<std::int32_t>(code);
    }
    run.errors = readFileBytes(errorFile).value_or("");
    return run;
}

TEST_F(PackedLaunch, ConsoleBuildPrintsTheStackTraceOnStandardErrorWhenFailureCheckIsOn) {
    packSettings(consoleLauncher(), {{kApplication, L"Failure Check"}});
    freshScript().mainDoes(fake_jvm::Step::throws("java/lang/IllegalStateException", L"java.lang.X: boom\r\n"));
    copy_.writeSettings(settings_.bytes());
    ASSERT_TRUE(script_.writeTo(files_ / L"script.txt"));
    const EnvironmentScope script(fake_jvm::kScriptVariable, files_ / L"script.txt");
    const EnvironmentScope trace(fake_jvm::kTraceVariable, files_ / L"trace.txt");
    const ConsoleRun run = runConsole(copy_.exePath(), files_ / L"errors.txt");
    EXPECT_EQ(run.exitCode, -1) << run.errors;
    EXPECT_NE(run.errors.find("java.lang.X: boom"), std::string::npos)
        << run.errors << "\n"
        << fake_jvm::Trace::read(files_ / L"trace.txt").dump();
}

TEST_F(PackedLaunch, ConsoleBuildRedirectedWritesMessagesAndTraceInUtf8) {
    // A name no single-byte code page holds, so the message carries Greek and Japanese.
    const std::wstring exe = copy_.exeFolder() + L"\\\u0394\u03BF\u03BA\u03B9\u03BC\u03AE \u65E5\u672C.exe";
    if (!CopyFileW(consoleLauncher().c_str(), exe.c_str(), FALSE)) {
        GTEST_SKIP() << "Wine cannot store this file name under the current LC_ALL: " << GetLastError();
    }
    const std::wstring settings = exe.substr(0, exe.size() - 4) + L".ini";
    const EnvironmentScope trace(L"JLAUNCH_TRACE", std::wstring(L"-"));
    const ConsoleRun run = runConsole(exe, files_ / L"errors.txt");
    EXPECT_EQ(run.exitCode, -1) << run.errors;
    const auto utf8 = [](const std::wstring& text) { return fake_jvm::toUtf8(fake_jvm::toU16(text)); };
    std::wstring shown = message(kMsgSettingsFileMissing, {settings});
    EXPECT_NE(run.errors.find(utf8(shown)), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(" ms  settings file " + utf8(settings) + " (not found)\n"), std::string::npos)
        << run.errors;
    // Nothing in another encoding: the whole stream is valid UTF-8.
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, run.errors.data(),
                                         static_cast<int>(run.errors.size()), nullptr, 0);
    EXPECT_GT(wide, 0) << run.errors;
}

}  // namespace
}  // namespace jlaunch::test
