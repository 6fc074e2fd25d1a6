// The real jlaunch.exe, copied under various names beside various settings
// files, started as a user would start it; its message boxes are read and
// answered like a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "launch_helper.h"

namespace jlaunch::test {
namespace {

// Message 260 as each shipped language words it; %s is the settings file's path.
const std::map<LANGID, std::wstring>& mainClassMissingTexts() {
    static const std::map<LANGID, std::wstring> texts = {
        {1033,
         L"Main class was not specified in INI file %s: set \u201CMain Class\u201D, \u201CMain Module\u201D or "
         L"\u201CMain Jar\u201D in section [Java Runtime Environment].\n"},
        {1031,
         L"Main class in der INI-Datei %s nicht spezifiziert: setzen Sie \u201EMain Class\u201C, \u201EMain "
         L"Module\u201C oder \u201EMain Jar\u201C im Abschnitt [Java Runtime Environment].\n"},
        {1036,
         L"Classe principale non sp\u00E9cifi\u00E9e dans le fichier INI %s : indiquez \u00AB Main Class \u00BB, "
         L"\u00AB Main Module \u00BB ou \u00AB Main Jar \u00BB dans la section [Java Runtime Environment].\n"},
        {1038,
         L"Az indul\u00F3 oszt\u00E1ly nincs meghat\u00E1rozva a(z) %s INI f\u00E1jlban: adja meg a \u201EMain "
         L"Class\u201D, \u201EMain Module\u201D vagy \u201EMain Jar\u201D kulcsot a [Java Runtime Environment] "
         L"szakaszban.\n"},
        {1040,
         L"Classe principale non specificata nel file INI %s: impostare \u00ABMain Class\u00BB, \u00ABMain "
         L"Module\u00BB o \u00ABMain Jar\u00BB nella sezione [Java Runtime Environment].\n"},
        {2070,
         L"A classe principal n\u00E3o foi especificada no ficheiro INI %s: defina \u00ABMain Class\u00BB, "
         L"\u00ABMain Module\u00BB ou \u00ABMain Jar\u00BB na sec\u00E7\u00E3o [Java Runtime Environment].\n"},
        {3082,
         L"La clase principal no fue especificada en el archivo INI %s: indique \u00ABMain Class\u00BB, \u00ABMain "
         L"Module\u00BB o \u00ABMain Jar\u00BB en la secci\u00F3n [Java Runtime Environment].\n"},
    };
    return texts;
}

// Message 236 as each shipped language words it; %s is the file's path.
const std::map<LANGID, std::wstring>& settingsFileMissingTexts() {
    static const std::map<LANGID, std::wstring> texts = {
        {1033, L"The settings file %s was not found.\n"},
        {1031, L"Die Einstellungsdatei %s wurde nicht gefunden.\n"},
        {1036, L"Le fichier de paramètres %s est introuvable.\n"},
        {1038, L"A beállítási fájl nem található: %s.\n"},
        {1040, L"Il file delle impostazioni %s non è stato trovato.\n"},
        {2070, L"O ficheiro de definições %s não foi encontrado.\n"},
        {3082, L"No se encontró el archivo de configuración %s.\n"},
    };
    return texts;
}

// The text of the system's language in `texts`, as the launcher picks it.
std::wstring inSystemLanguage(const std::map<LANGID, std::wstring>& texts) {
    const LANGID system = GetSystemDefaultLangID();
    if (const auto exact = texts.find(system); exact != texts.end()) {
        return exact->second;
    }
    for (const auto& [language, text] : texts) {
        if (PRIMARYLANGID(language) == PRIMARYLANGID(system)) {
            return text;
        }
    }
    return texts.at(1033);
}

std::wstring expectedSettingsFileMissingText(const std::wstring& settingsPath) {
    std::wstring text = inSystemLanguage(settingsFileMissingTexts());
    text.replace(text.find(L"%s"), 2, settingsPath);
    return text;
}

// The text a launcher started from this process must show: the launcher and
// this test program share Wine's system locale, which follows LC_ALL.
std::wstring expectedMainClassMissingText(const std::wstring& settingsPath) {
    std::wstring text = inSystemLanguage(mainClassMissingTexts());
    text.replace(text.find(L"%s"), 2, settingsPath);
    return text;
}

const char kMainClassSettings[] = "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n";

// What one launch did: the message box it showed (answered with OK), and how it ended.
struct Outcome {
    std::optional<MessageBoxView> box;
    std::optional<std::wstring> jreNotFoundMessage;  // the "JRE Not Found" dialog's text, cancelled
    std::optional<std::int32_t> exitCode;
    std::wstring blocking;
};

enum class Answer { Click, Command };

Outcome launch(const LauncherCopy& copy, const std::wstring& arguments = {}, const EnvironmentChanges& environment = {},
               Answer answer = Answer::Click) {
    Outcome outcome;
    ChildProcess child = copy.start(arguments, environment);
    if (!child.started()) {
        ADD_FAILURE() << "the launcher copy did not start: system error " << child.startError();
        return outcome;
    }
    if (HWND box = child.waitForWindow(kWindowTimeout)) {
        // With readable settings and no Java on this machine, the search ends
        // in the "JRE Not Found" dialog (its message is control 203).
        if (GetDlgItem(box, 0xFFFF) == nullptr && GetDlgItem(box, 203) != nullptr) {
            wchar_t message[1024] = {};
            GetDlgItemTextW(box, 203, message, 1024);
            outcome.jreNotFoundMessage = message;
            EXPECT_TRUE(clickButton(box, IDCANCEL));
            outcome.exitCode = child.waitForExit(kExitTimeout);
            outcome.blocking = child.blockingWindows();
            return outcome;
        }
        outcome.box = readMessageBox(box);
        const bool answered = answer == Answer::Click ? clickButton(box, IDOK) : sendCommand(box, IDOK);
        EXPECT_TRUE(answered) << "could not press OK of " << describe(*outcome.box);
    }
    outcome.exitCode = child.waitForExit(kExitTimeout);
    outcome.blocking = child.blockingWindows();
    return outcome;
}

// -1 as the process's full 32-bit exit code, and nothing left on screen.
void expectFailedExit(const Outcome& outcome) {
    ASSERT_TRUE(outcome.exitCode.has_value())
        << "the launcher did not end; it showed: " << narrowForReport(outcome.blocking);
    EXPECT_EQ(*outcome.exitCode, -1);
}

void expectSilentFailure(const Outcome& outcome) {
    EXPECT_FALSE(outcome.box.has_value()) << "unexpected message box: " << describe(*outcome.box);
    expectFailedExit(outcome);
}

// The settings were read: no message 210, and the search for Java, finding
// none on this machine, asked the user; cancelled, the launch ends with -1.
void expectSettingsAccepted(const Outcome& outcome) {
    EXPECT_FALSE(outcome.box.has_value()) << "unexpected message box: " << describe(*outcome.box);
    EXPECT_TRUE(outcome.jreNotFoundMessage.has_value()) << "the JRE Not Found dialog did not appear";
    expectFailedExit(outcome);
}

void expectMainClassMissing(const Outcome& outcome, const LauncherCopy& copy) {
    ASSERT_TRUE(outcome.box.has_value()) << "no message box was shown";
    EXPECT_EQ(outcome.box->text, expectedMainClassMissingText(copy.settingsPath())) << describe(*outcome.box);
    expectFailedExit(outcome);
}

// Bytes that are no INI text: every byte value, NULs and broken UTF-8 included.
std::string garbage(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 0x12345678u;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

TEST(LauncherMessages, NoSettingsFileNamesItsPathInAnErrorBoxWithoutOwnerThenExitsMinusOne) {
    // A run configured for another language must really have it, or this
    // test would check English twice.
    wchar_t expected[16] = {};
    if (GetEnvironmentVariableW(L"JLAUNCH_EXPECTED_LANGUAGE", expected, 16) > 0) {
        ASSERT_EQ(GetSystemDefaultLangID(), static_cast<LANGID>(std::wcstoul(expected, nullptr, 10)))
            << "Wine did not take the system locale from LC_ALL";
    }
    const LauncherCopy copy(L"My App.exe");
    const Outcome outcome = launch(copy, L"first \"second arg\"");

    ASSERT_TRUE(outcome.box.has_value()) << "no message box was shown";
    const MessageBoxView& box = *outcome.box;
    EXPECT_EQ(box.className, L"#32770") << describe(box);
    EXPECT_EQ(box.text, expectedSettingsFileMissingText(copy.settingsPath())) << describe(box);
    EXPECT_EQ(box.owner, nullptr) << "a message before any splash window has no owner";
    // Titled with the application's name: without settings, the executable's name.
    EXPECT_EQ(box.caption, L"My App") << describe(box);
    ASSERT_EQ(box.buttons.size(), 1u) << describe(box);
    EXPECT_EQ(box.buttons.front().id, IDOK) << describe(box);
    EXPECT_TRUE(box.hasIcon) << describe(box);
    expectFailedExit(outcome);
}

TEST(LauncherMessages, UnicodeExecutableNameFindsItsOwnSettingsFile) {
    std::optional<LauncherCopy> made;
    try {
        made.emplace(L"\u00DCn\u00EFc\u00F8d\u00E9 \u4E2D\u6587 \u0416.exe");
    } catch (const std::runtime_error& error) {
        // Wine writes file names in the Unix locale's encoding; LC_ALL must name an installed UTF-8 locale.
        GTEST_SKIP() << "Wine cannot store this file name under the current LC_ALL: " << error.what();
    }
    const LauncherCopy& copy = *made;
    const Outcome without = launch(copy, {}, {}, Answer::Command);
    ASSERT_TRUE(without.box.has_value()) << "no message box was shown";
    EXPECT_EQ(without.box->text, expectedSettingsFileMissingText(copy.settingsPath())) << describe(*without.box);
    expectFailedExit(without);

    copy.writeSettings(kMainClassSettings);
    expectSettingsAccepted(launch(copy));
}

// A base for temporary folders whose path has no ".": the system's temporary
// folder when it has none (a user name may bring one in).
std::wstring baseWithoutDot() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring_view path(temp, length);
    return path.find(L'.') == std::wstring_view::npos ? std::wstring() : std::wstring(L"C:\\jlaunch_tests");
}

TEST(LauncherSettingsPath, ExecutableWithoutDotInItsPathEndsSilently) {
    // Started by its exact file name: CreateProcessW assumes no ".exe" then.
    const LauncherCopy copy(baseWithoutDot(), L"nodot\\tool");
    ASSERT_EQ(copy.exePath().find(L'.'), std::wstring::npos) << narrowForReport(copy.exePath());
    // A settings file under the name a careless implementation would form
    // has no main class, so reading it would show message 210.
    copy.writeSettings("[Product Information]\r\nProduct Name=Tool\r\n");
    const std::wstring traceFile = copy.folder() / L"trace";
    expectSilentFailure(launch(copy, {}, {{L"JLAUNCH_TRACE", traceFile}}));
    // Silent for the user, never for the trace.
    const std::string trace = readFileBytes(traceFile).value_or("");
    EXPECT_NE(trace.find("ending without a message: the executable's path"), std::string::npos) << trace;
}

TEST(LauncherSettingsPath, DotInAFolderNameCountsWhenTheFileNameHasNone) {
    // "app.d\tool" takes its settings from "app.ini" beside the folder.
    const LauncherCopy copy(L"app.d\\tool");
    copy.folder().writeFile(L"app.ini", kMainClassSettings);
    expectSettingsAccepted(launch(copy));
}

TEST(LauncherSettingsFile, MainClassPresentLeadsToTheJavaSearch) {
    const LauncherCopy copy(L"My App.exe");
    copy.writeSettings(kMainClassSettings);
    expectSettingsAccepted(launch(copy, L"-nosplash"));
}

TEST(LauncherSettingsFile, MainClassInAnotherSectionIsNotFound) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings("[Application]\r\nMain Class=com.example.App\r\n[Java Runtime Environment+]\r\nMain Class=\r\n");
    expectMainClassMissing(launch(copy), copy);
}

TEST(LauncherSettingsFile, MessageBoxesAreTitledWithTheProductNameElseTheExecutablesName) {
    const struct {
        const char* settings;
        const wchar_t* title;
    } cases[] = {
        {"[Product Information]\r\nProduct Name=Acme \xC3\x84" "ditor\r\n", L"Acme \u00C4ditor"},
        {"[Product Information]\r\nProduct Name=\r\n", L"My.App"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        const LauncherCopy copy(L"My.App.exe");
        copy.writeSettings(std::string("\xEF\xBB\xBF") + c.settings);
        const Outcome outcome = launch(copy);
        expectMainClassMissing(outcome, copy);
        ASSERT_TRUE(outcome.box.has_value());
        EXPECT_EQ(outcome.box->caption, c.title) << describe(*outcome.box);
    }
}

TEST(LauncherSettingsFile, MainClassOnlyInThePlusSectionCounts) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings("[Java Runtime Environment+]\r\nMain Class=com.example.App\r\n");
    expectSettingsAccepted(launch(copy));
}

TEST(LauncherBadInput, BinaryGarbageReadsAsNoSettings) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings(garbage(64 * 1024));
    expectMainClassMissing(launch(copy), copy);
}

TEST(LauncherBadInput, EmptyAndBlankFilesReadAsNoSettings) {
    for (const std::string& bytes : {std::string(), std::string("\r\n\r\n   \r\n"), std::string("\xFF\xFE")}) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const LauncherCopy copy(L"app.exe");
        copy.writeSettings(bytes);
        expectMainClassMissing(launch(copy), copy);
    }
}

TEST(LauncherBadInput, OneMebibyteMainClassIsReadWhole) {
    const LauncherCopy copy(L"app.exe");
    std::string settings = "[Java Runtime Environment]\r\nMain Class=";
    settings.append(1024 * 1024, 'a');
    settings += "\r\n";
    copy.writeSettings(settings);
    expectSettingsAccepted(launch(copy));
}

TEST(LauncherBadInput, Utf16SettingsFileWithByteOrderMarkIsRead) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings(utf16Bytes(L"[Java Runtime Environment]\r\nMain Class=com.\u00E9xample.\u4E2D\r\n"));
    expectSettingsAccepted(launch(copy));
}

TEST(LauncherBadInput, DuplicatedSectionsTheFirstWins) {
    {
        const LauncherCopy copy(L"app.exe");
        copy.writeSettings(
            "[Java Runtime Environment]\r\nMain Class=com.example.First\r\n"
            "[Java Runtime Environment]\r\nMain Class=\r\n");
        expectSettingsAccepted(launch(copy));
    }
    {
        // The second section's keys are never found.
        const LauncherCopy copy(L"app.exe");
        copy.writeSettings(
            "[Java Runtime Environment]\r\nMinimum Version=1.8\r\n"
            "[Java Runtime Environment]\r\nMain Class=com.example.Second\r\n");
        expectMainClassMissing(launch(copy), copy);
    }
}

TEST(LauncherBadInput, FolderWhereTheSettingsFileShouldBe) {
    const LauncherCopy copy(L"app.exe");
    copy.folder().makeFolder(L"app.ini");
    expectMainClassMissing(launch(copy, {}, {}, Answer::Command), copy);
}

TEST(LauncherBadInput, OverlongAppDataCountsAsNotSet) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings(
        "[Product Information]\r\nProduct Name=Prod\r\nProduct Code=Code\r\n"
        "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n");
    for (const std::size_t length : {260u, 300u, 4000u}) {
        SCOPED_TRACE(length);
        std::wstring appData = copy.folder().path() + L"\\";
        appData.resize(length, L'x');
        expectSettingsAccepted(launch(copy, {}, {{L"APPDATA", appData}}));
    }
    expectSettingsAccepted(launch(copy, {}, {{L"APPDATA", std::nullopt}}));
}

class LauncherUserCopy : public testing::Test {
protected:
    // The per-user copy of "app.exe" for product "A/B:C" with code {C0DE}:
    // the characters a file name cannot hold are left out of the folder.
    std::wstring writeUserCopy(std::string_view bytes) const {
        return appData_.writeFile(L"ABC\\{C0DE}\\app.ini", bytes);
    }
    EnvironmentChanges environment() const { return {{L"APPDATA", appData_.path()}}; }

    const std::string productSection_ = "[Product Information]\r\nProduct Name=A/B:C\r\nProduct Code={C0DE}\r\n";
    TemporaryFolder appData_;
    LauncherCopy copy_{L"app.exe"};
};

TEST_F(LauncherUserCopy, CopyWithoutJrePathIsReadWithoutHarm) {
    copy_.writeSettings(productSection_ +
                        "[Java Runtime Environment]\r\nJRE Path=jre\r\nMain Class=com.example.App\r\n");
    writeUserCopy("[Java Runtime Environment]\r\nMinimum Version=1.8\r\n");
    expectSettingsAccepted(launch(copy_, {}, environment()));
}

TEST_F(LauncherUserCopy, CopyNeverSuppliesTheMainClass) {
    copy_.writeSettings(productSection_);
    writeUserCopy("[Java Runtime Environment]\r\nJRE Path=C:\\jre\r\nMain Class=com.example.App\r\n");
    expectMainClassMissing(launch(copy_, {}, environment()), copy_);
}

TEST_F(LauncherUserCopy, FolderInPlaceOfTheCopyIsHarmless) {
    copy_.writeSettings(productSection_ + "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n");
    appData_.makeFolder(L"ABC\\{C0DE}\\app.ini");
    expectSettingsAccepted(launch(copy_, {}, environment()));
}

}  // namespace
}  // namespace jlaunch::test
