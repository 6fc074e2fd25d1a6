// The "JRE Not Found" dialog, driven the way a user drives it. The dialog
// runs on a thread of its own in the language set there; the test finds it,
// reads it and presses its buttons from outside.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "common/handles_win.h"
#include "common/text.h"
#include "common/unique_resource.h"
#include "jvmsearch/chosen_folder.h"
#include "ui/hyperlink_control.h"
#include "ui/jre_not_found_dialog_win.h"
#include "dialog_run.h"
#include "launch_helper.h"
#include "link_test_support.h"
#include "common/messages.h"

namespace jlaunch::test {
namespace {

using namespace std::chrono_literals;

// The shell's folder browser loads the shell namespace first.
constexpr std::chrono::milliseconds kShellTimeout = 20s;

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string report(const std::wstring& text) {
    return narrowForReport(text);
}

// ---------------------------------------------------------------------------
// The dialog on a thread of its own.

// What the folder browser answers, in order; records who asked.
class ScriptedFolderBrowser {
public:
    ScriptedFolderBrowser() {
        setFolderBrowserForTesting([this](HWND owner) { return next(owner); });
    }
    ~ScriptedFolderBrowser() { setFolderBrowserForTesting({}); }
    ScriptedFolderBrowser(const ScriptedFolderBrowser&) = delete;
    ScriptedFolderBrowser& operator=(const ScriptedFolderBrowser&) = delete;

    void answer(std::optional<std::wstring> folder) {
        const std::lock_guard lock(mutex_);
        answers_.push_back(std::move(folder));
    }
    int calls() const {
        const std::lock_guard lock(mutex_);
        return calls_;
    }
    HWND lastOwner() const {
        const std::lock_guard lock(mutex_);
        return lastOwner_;
    }

private:
    std::optional<std::wstring> next(HWND owner) {
        const std::lock_guard lock(mutex_);
        ++calls_;
        lastOwner_ = owner;
        if (answers_.empty()) {
            return std::nullopt;
        }
        auto answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    mutable std::mutex mutex_;
    std::deque<std::optional<std::wstring>> answers_;
    int calls_ = 0;
    HWND lastOwner_ = nullptr;
};

struct DialogOptions {
    LANGID language = 1033;
    JvmType type = JvmType::Server;
    std::wstring message = L"No Java VM was found.";
    std::optional<RECT> ownerRect;  // an active owner window placed here
    bool minimizeOwner = false;
    std::wstring address = kJavaDownloadAddress;
};

// The "JRE Not Found" dialog on a thread of its own.
class JreDialogRun : public DialogRun<std::optional<JreChoice>> {
public:
    explicit JreDialogRun(const DialogOptions& options)
        : DialogRun(options.language, ownerOf(options), [options] {
              return showJreNotFoundDialog(options.message, options.address, [&options](const std::wstring& folder) {
                  return checkChosenFolder(folder, options.type);
              });
          }) {}

    // What showJreNotFoundDialog returned; the test fails when it never returns.
    std::optional<JreChoice> result() {
        std::optional<std::optional<JreChoice>> shown = answer();
        return shown ? *shown : std::nullopt;
    }

private:
    static std::optional<OwnerWindow> ownerOf(const DialogOptions& options) {
        if (!options.ownerRect) {
            return std::nullopt;
        }
        return OwnerWindow{*options.ownerRect, options.minimizeOwner};
    }
};

bool okEnabled(HWND dialog) {
    return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
}
std::wstring pathText(HWND dialog) {
    return windowText(GetDlgItem(dialog, kJreDialogPathEdit));
}

std::vector<HWND> childrenOfDialog(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// The two controls without id: the group box and the path label.
HWND unnamedControl(HWND dialog, bool groupBox) {
    for (HWND child : childrenOfDialog(dialog)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        const bool isGroup = windowClassName(child) == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
        if (static_cast<WORD>(GetDlgCtrlID(child)) == 0xFFFF && isGroup == groupBox) {
            return child;
        }
    }
    return nullptr;
}

class JreDialog : public ::testing::Test {
protected:
    // A Java home below the test folder with a jvm.dll in each VM folder named.
    std::wstring javaHome(const std::wstring& name, std::initializer_list<const wchar_t*> vmFolders) const {
        const std::wstring home = folder_.makeFolder(name);
        folder_.writeFile(name + L"\\bin\\java.dll", "");
        for (const wchar_t* vm : vmFolders) {
            folder_.writeFile(name + L"\\bin\\" + vm + L"\\jvm.dll", "");
        }
        return home;
    }

    // Browse, answered with `folder` (nothing: the user cancels the browser).
    void browseTo(HWND dialog, std::optional<std::wstring> folder) {
        browser_.answer(std::move(folder));
        const int before = browser_.calls();
        ASSERT_TRUE(clickButton(dialog, kJreDialogBrowse));
        ASSERT_EQ(browser_.calls(), before + 1);
    }

    TemporaryFolder folder_;
    ScriptedFolderBrowser browser_;
};

// ---------------------------------------------------------------------------
// Texts and layout in every language

// x, y, width and height in dialog units, as the template gives them.
struct Box {
    int x;
    int y;
    int width;
    int height;
};

struct Layout {
    Box hint;
    Box label;
    Box edit;
    Box browse;
};

struct DialogLanguage {
    LANGID language;
    const wchar_t* caption;
    const wchar_t* groupBox;
    const wchar_t* hint;
    const wchar_t* pathLabel;
    const wchar_t* browse;
    const wchar_t* ok;
    const wchar_t* cancel;
    Layout layout;
};

constexpr Layout kEnglishLayout{{12, 73, 195, 8}, {12, 92, 45, 8}, {60, 89, 94, 14}, {157, 89, 50, 14}};

const DialogLanguage kDialogLanguages[] = {
    {1033, L"JRE Not Found", L"Missing JRE", L"If you have a JRE installed you can browse for it below:", L"JRE Path:",
     L"Browse...", L"OK", L"Cancel", kEnglishLayout},
    {1031,
     L"JRE nicht gefunden",
     L"Kein JRE",
     L"Wenn Sie ein JRE installiert haben, können Sie unten danach suchen:",
     L"JRE Pfad:",
     L"Durchsuche...",
     L"Ok",
     L"Abbrechen",
     {{12, 70, 195, 17}, {12, 92, 45, 8}, {60, 89, 91, 14}, {154, 89, 52, 14}}},
    {1036,
     L"JRE non trouvé",
     L"JRE manquant",
     L"Si vous avez déjà un JRE installé, vous pouvez le sélectionner ci-dessous:",
     L"Chemin du JRE:",
     L"Parcourir...",
     L"OK",
     L"Annuler",
     {{12, 70, 195, 16}, {12, 92, 51, 8}, {66, 89, 87, 14}, {157, 89, 50, 14}}},
    {1038,
     L"JRE nem található",
     L"Hiányzó JRE",
     L"Ha a JRE már fel van tepítve az Ön gépére, az alábbiakban keresheti meg azt:",
     L"JRE útvonala:",
     L"Tallózás...",
     L"OK",
     L"Mégse",
     {{12, 68, 195, 17}, {12, 92, 45, 8}, {60, 89, 94, 14}, {157, 89, 50, 14}}},
    {1040, L"JRE non trovato", L"JRE mancante", L"Se JRE è installato puoi cercarlo qui:", L"Percorso JRE:",
     L"Esamina...", L"OK", L"Annulla", kEnglishLayout},
    {2070, L"JRE Não Encontrado", L"JRE em falta", L"Se tiver um JRE instalado, pode procurá-lo em baixo:",
     L"Trajecto JRE:", L"Procurar...", L"OK", L"Cancelar", kEnglishLayout},
    {3082, L"JRE No encontrado", L"Falta JRE", L"Si tiene un JRE instalado puede buscarlo a continuación:",
     L"Ruta de JRE:", L"Hojee...", L"Aceptar", L"Cancelar", kEnglishLayout},
};

void PrintTo(const DialogLanguage& value, std::ostream* out) {
    *out << "language " << value.language;
}

class JreDialogLanguage : public JreDialog, public ::testing::WithParamInterface<DialogLanguage> {};

TEST_P(JreDialogLanguage, OpensWithTheTextsAndLayoutOfTheThreadLanguage) {
    const DialogLanguage& expected = GetParam();
    JreDialogRun run(
        {expected.language, JvmType::Default, L"Bitte Java installieren (version 17 is required)", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(windowText(dialog), expected.caption);
    EXPECT_EQ(windowText(unnamedControl(dialog, true)), expected.groupBox);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogHint)), expected.hint);
    EXPECT_EQ(windowText(unnamedControl(dialog, false)), expected.pathLabel);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogBrowse)), expected.browse);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDOK)), expected.ok);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDCANCEL)), expected.cancel);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogLink)), kJavaDownloadAddress);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogMessage)), L"Bitte Java installieren (version 17 is required)");
    EXPECT_EQ(pathText(dialog), L"");
    EXPECT_FALSE(okEnabled(dialog));

    // The dialog's client area and every control but the icon (which takes
    // the size of its picture) sit where the template puts them.
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_TRUE(samePlace(client, dialogUnits(dialog, 0, 0, 219, 145)));
    const auto at = [&](const Box& box) { return dialogUnits(dialog, box.x, box.y, box.width, box.height); };
    const Layout& layout = expected.layout;
    EXPECT_TRUE(samePlace(placeInDialog(dialog, unnamedControl(dialog, true)), dialogUnits(dialog, 8, 11, 203, 103)));
    EXPECT_TRUE(
        samePlace(placeInDialog(dialog, GetDlgItem(dialog, kJreDialogMessage)), dialogUnits(dialog, 42, 24, 149, 24)));
    EXPECT_TRUE(
        samePlace(placeInDialog(dialog, GetDlgItem(dialog, kJreDialogLink)), dialogUnits(dialog, 44, 55, 75, 8)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, kJreDialogHint)), at(layout.hint)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, unnamedControl(dialog, false)), at(layout.label)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, kJreDialogPathEdit)), at(layout.edit)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, kJreDialogBrowse)), at(layout.browse)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, IDOK)), dialogUnits(dialog, 107, 122, 50, 14)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, IDCANCEL)), dialogUnits(dialog, 161, 122, 50, 14)));
    const RECT iconPlace = placeInDialog(dialog, GetDlgItem(dialog, kJreDialogIcon));
    const RECT iconTemplate = dialogUnits(dialog, 16, 24, 20, 20);
    EXPECT_EQ(iconPlace.left, iconTemplate.left);
    EXPECT_EQ(iconPlace.top, iconTemplate.top);

    const auto edit = static_cast<DWORD>(GetWindowLongPtrW(GetDlgItem(dialog, kJreDialogPathEdit), GWL_STYLE));
    EXPECT_TRUE(edit & ES_READONLY);
    EXPECT_TRUE(edit & ES_AUTOHSCROLL);
    // A border asked for in the template becomes the sunken client edge.
    EXPECT_TRUE((edit & WS_BORDER) ||
                (GetWindowLongPtrW(GetDlgItem(dialog, kJreDialogPathEdit), GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    const auto frame = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    EXPECT_TRUE(frame & WS_CAPTION);
    EXPECT_TRUE(frame & WS_SYSMENU);
    EXPECT_TRUE(frame & DS_MODALFRAME);

    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_FALSE(run.result().has_value());
}

INSTANTIATE_TEST_SUITE_P(SevenLanguages, JreDialogLanguage, ::testing::ValuesIn(kDialogLanguages),
                         [](const ::testing::TestParamInfo<DialogLanguage>& tested) {
                             return "Language" + std::to_string(tested.param.language);
                         });

TEST_F(JreDialog, OtherCountryOfAShippedLanguageGetsThatLanguage) {
    JreDialogRun run({MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS), JvmType::Server, L"x", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), L"JRE nicht gefunden");
}

TEST_F(JreDialog, UnshippedLanguageGetsEnglish) {
    JreDialogRun run({MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), JvmType::Server, L"x", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), L"JRE Not Found");
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDCANCEL)), L"Cancel");
}

TEST_F(JreDialog, ShowsTheErrorIconAndTheDownloadLink) {
    const UserLinkColors colors;
    ASSERT_TRUE(colors.ready());
    JreDialogRun run({1033, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(reinterpret_cast<HICON>(sendTo(GetDlgItem(dialog, kJreDialogIcon), STM_GETICON)),
              LoadIconW(nullptr, IDI_ERROR));

    HWND link = GetDlgItem(dialog, kJreDialogLink);
    // The link draws with the dialog's font, and keys reach it.
    EXPECT_EQ(sendTo(link, WM_GETFONT), sendTo(dialog, WM_GETFONT));
    EXPECT_NE(sendTo(link, WM_GETFONT), 0);
    EXPECT_TRUE(sendTo(link, WM_GETDLGCODE) & DLGC_WANTCHARS);
    EXPECT_TRUE(GetWindowLongPtrW(link, GWL_STYLE) & WS_TABSTOP);
    EXPECT_TRUE(GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY);

    // Its tooltip shows the address over the whole label, which fits the control.
    HWND tooltip = nullptr;
    EnumThreadWindows(
        GetWindowThreadProcessId(dialog, nullptr),
        [](HWND window, LPARAM found) -> BOOL {
            if (windowClassName(window) == TOOLTIPS_CLASSW) {
                *reinterpret_cast<HWND*>(found) = window;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_NE(tooltip, nullptr);
    const auto tool = tooltipTool(tooltip, link);
    ASSERT_TRUE(tool.has_value());
    EXPECT_EQ(tool->text, kJavaDownloadAddress);
    RECT client{};
    GetClientRect(link, &client);
    EXPECT_GT(tool->area.right - tool->area.left, 20);
    EXPECT_LE(tool->area.right, client.right) << "the address is wider than its control";
    EXPECT_LE(tool->area.bottom, client.bottom) << "the address takes more than one line";
    // Drawn in the link colour; nothing of it is visited yet.
    const Picture picture(link);
    EXPECT_GT(picture.count(kDefaultLinkColor), 20);
    EXPECT_EQ(picture.count(kDefaultVisitedLinkColor), 0);

    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_FALSE(run.result().has_value());
}

TEST_F(JreDialog, PackagersDownloadAddressIsTheLinkAndFitsItsControl) {
    for (const auto& [address, label] :
         {std::pair<std::wstring, std::wstring>{L"https://example.org/java", L"https://example.org/java"},
          {L"https://downloads.example.org/java/runtime-21-for-my-application",
           L"https://downloads.example.org/\u2026"}}) {
        DialogOptions options;
        options.address = address;
        JreDialogRun run(options);
        HWND dialog = run.dialog();
        ASSERT_NE(dialog, nullptr);
        HWND link = GetDlgItem(dialog, kJreDialogLink);
        EXPECT_EQ(windowText(link), label);
        HDC dc = GetDC(link);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(sendTo(link, WM_GETFONT)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(link, dc);
        RECT client{};
        GetClientRect(link, &client);
        EXPECT_LE(extent.cx, client.right) << "the address is cut off";
        ASSERT_TRUE(clickButton(dialog, IDCANCEL));
        EXPECT_FALSE(run.result().has_value());
    }
}

// ---------------------------------------------------------------------------
// Choosing a folder

struct FolderCase {
    const char* name;
    JvmType type;
    std::vector<const wchar_t*> vmFolders;
    const wchar_t* expectedLibrary;  // relative to the home; null: OK stays disabled
    const wchar_t* reason = L"";     // shown below the field
    bool runtime = true;             // bin\java.dll is there
};

void PrintTo(const FolderCase& value, std::ostream* out) {
    *out << value.name;
}

class JreDialogFolder : public JreDialog, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(JreDialogFolder, OkIsAvailableExactlyForAUsableVm) {
    const FolderCase& folderCase = GetParam();
    const std::wstring home = folder_.makeFolder(L"jre");
    if (folderCase.runtime) {
        folder_.writeFile(L"jre\\bin\\java.dll", "");
    }
    for (const wchar_t* vm : folderCase.vmFolders) {
        folder_.writeFile(std::wstring(L"jre\\bin\\") + vm + L"\\jvm.dll", "");
    }
    JreDialogRun run({1033, folderCase.type, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    browseTo(dialog, home);
    EXPECT_EQ(browser_.lastOwner(), dialog);
    EXPECT_EQ(pathText(dialog), home);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogReason)), folderCase.reason);
    if (folderCase.expectedLibrary == nullptr) {
        EXPECT_FALSE(okEnabled(dialog));
        ASSERT_TRUE(clickButton(dialog, IDCANCEL));
        EXPECT_FALSE(run.result().has_value());
        return;
    }
    ASSERT_TRUE(okEnabled(dialog));
    ASSERT_TRUE(clickButton(dialog, IDOK));
    const std::optional<JreChoice> choice = run.result();
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->folder, home + L"\\");
    EXPECT_EQ(choice->jvmLibraryPath, home + L"\\" + folderCase.expectedLibrary);
}

INSTANTIATE_TEST_SUITE_P(
    Types, JreDialogFolder,
    ::testing::Values(
        FolderCase{"ServerRefusesClientOnly",
                   JvmType::Server,
                   {L"client"},
                   nullptr,
                   L"This Java runtime has no Java VM library in its folders server."},
        FolderCase{"ServerTakesServer", JvmType::Server, {L"server"}, L"bin\\server\\jvm.dll"},
        FolderCase{"DefaultTakesClientOnly", JvmType::Default, {L"client"}, L"bin\\client\\jvm.dll"},
        FolderCase{"DefaultPrefersClient", JvmType::Default, {L"server", L"client"}, L"bin\\client\\jvm.dll"},
        FolderCase{"FavorServerPrefersServer", JvmType::FavorServer, {L"client", L"server"}, L"bin\\server\\jvm.dll"},
        FolderCase{"RuntimeWithoutVm",
                   JvmType::Default,
                   {},
                   nullptr,
                   L"This Java runtime has no Java VM library in its folders client, classic, hotspot, server, "
                   L"jrockit."},
        FolderCase{"NoRuntimeThoughAVm",
                   JvmType::Default,
                   {},
                   nullptr,
                   L"No Java runtime in this folder: bin\\java.dll is missing.",
                   false}),
    [](const ::testing::TestParamInfo<FolderCase>& tested) { return std::string(tested.param.name); });

TEST_F(JreDialog, OkFollowsTheLastFolderChosen) {
    const std::wstring clientOnly = javaHome(L"client-only", {L"client"});
    const std::wstring server = javaHome(L"server", {L"server"});
    JreDialogRun run({1031, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(okEnabled(dialog));

    browseTo(dialog, clientOnly);
    EXPECT_EQ(pathText(dialog), clientOnly);
    EXPECT_FALSE(okEnabled(dialog));
    browseTo(dialog, server);
    EXPECT_EQ(pathText(dialog), server);
    EXPECT_TRUE(okEnabled(dialog));
    browseTo(dialog, clientOnly);
    EXPECT_FALSE(okEnabled(dialog));
    browseTo(dialog, folder_ / L"missing");
    EXPECT_EQ(pathText(dialog), folder_ / L"missing");
    EXPECT_FALSE(okEnabled(dialog));
    // Why, in the dialog's language; gone once a usable folder is chosen.
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogReason)),
              L"Kein Java-Laufzeitsystem in diesem Ordner: bin\\java.dll fehlt.");
    browseTo(dialog, server);
    EXPECT_TRUE(okEnabled(dialog));
    EXPECT_EQ(windowText(GetDlgItem(dialog, kJreDialogReason)), L"");

    ASSERT_TRUE(clickButton(dialog, IDOK));
    const std::optional<JreChoice> choice = run.result();
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->folder, server + L"\\");
    EXPECT_EQ(choice->jvmLibraryPath, server + L"\\bin\\server\\jvm.dll");
}

TEST_F(JreDialog, CancelledBrowserKeepsTheEarlierChoice) {
    const std::wstring server = javaHome(L"server", {L"server"});
    const std::wstring clientOnly = javaHome(L"client-only", {L"client"});
    JreDialogRun run({1033, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    browseTo(dialog, std::nullopt);
    EXPECT_EQ(pathText(dialog), L"");
    EXPECT_FALSE(okEnabled(dialog));

    browseTo(dialog, clientOnly);
    browseTo(dialog, std::nullopt);
    EXPECT_EQ(pathText(dialog), clientOnly);
    EXPECT_FALSE(okEnabled(dialog));

    browseTo(dialog, server);
    browseTo(dialog, std::nullopt);
    EXPECT_EQ(pathText(dialog), server);
    EXPECT_TRUE(okEnabled(dialog));

    ASSERT_TRUE(clickButton(dialog, IDOK));
    const std::optional<JreChoice> choice = run.result();
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->folder, server + L"\\");
}

TEST_F(JreDialog, FolderEndingWithBackslashGetsNoSecondOne) {
    const std::wstring server = javaHome(L"server", {L"server"});
    JreDialogRun run({1033, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    browseTo(dialog, L"C:\\");
    EXPECT_EQ(pathText(dialog), L"C:\\");
    EXPECT_FALSE(okEnabled(dialog));

    browseTo(dialog, server + L"\\");
    EXPECT_EQ(pathText(dialog), server + L"\\");
    ASSERT_TRUE(okEnabled(dialog));
    ASSERT_TRUE(clickButton(dialog, IDOK));
    const std::optional<JreChoice> choice = run.result();
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->folder, server + L"\\");
    EXPECT_EQ(choice->jvmLibraryPath, server + L"\\bin\\server\\jvm.dll");
}

TEST_F(JreDialog, OkCommandWhileDisabledKeepsTheDialogOpen) {
    const std::wstring clientOnly = javaHome(L"client-only", {L"client"});
    const std::wstring server = javaHome(L"server", {L"server"});
    JreDialogRun run({1033, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    // What Enter sends for the default button, before and after a useless choice.
    sendTo(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    browseTo(dialog, clientOnly);
    sendTo(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    EXPECT_FALSE(run.finished(300ms));
    ASSERT_TRUE(IsWindow(dialog));

    browseTo(dialog, server);
    ASSERT_TRUE(clickButton(dialog, IDOK));
    const std::optional<JreChoice> choice = run.result();
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->folder, server + L"\\");
}

enum class Closer { CancelButton, EscapeKey, CloseBox };

void PrintTo(Closer value, std::ostream* out) {
    *out << static_cast<int>(value);
}

class JreDialogClose : public JreDialog, public ::testing::WithParamInterface<Closer> {};

TEST_P(JreDialogClose, ReturnsNothingEvenAfterAUsableChoice) {
    const std::wstring server = javaHome(L"server", {L"server"});
    JreDialogRun run({1031, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    browseTo(dialog, server);
    ASSERT_TRUE(okEnabled(dialog));

    switch (GetParam()) {
        case Closer::CancelButton:
            ASSERT_TRUE(clickButton(dialog, IDCANCEL));
            break;
        case Closer::EscapeKey: {
            // The key goes to the focused control, through the dialog's own loop.
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info));
            ASSERT_NE(info.hwndFocus, nullptr);
            ASSERT_TRUE(PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0x00010001));
            // The key down alone closes the dialog, which may be gone by now.
            PostMessageW(info.hwndFocus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
            break;
        }
        case Closer::CloseBox:
            ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
            break;
    }
    ASSERT_TRUE(run.finished());
    EXPECT_FALSE(run.result().has_value());
    EXPECT_FALSE(IsWindow(dialog));
}

INSTANTIATE_TEST_SUITE_P(Ways, JreDialogClose,
                         ::testing::Values(Closer::CancelButton, Closer::EscapeKey, Closer::CloseBox),
                         [](const ::testing::TestParamInfo<Closer>& tested) {
                             switch (tested.param) {
                                 case Closer::CancelButton:
                                     return std::string("CancelButton");
                                 case Closer::EscapeKey:
                                     return std::string("EscapeKey");
                                 case Closer::CloseBox:
                                     return std::string("CloseBox");
                             }
                             return std::string();
                         });

// ---------------------------------------------------------------------------
// The shell's folder browser itself

// The folder above the system's temporary folder.
std::wstring besideTemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    std::wstring path(temp, GetTempPathW(MAX_PATH + 1, temp));
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path.substr(0, path.rfind(L'\\'));
}

// Wine's browser can stall while another process runs one, so they take
// turns; and it loses its selection while folders come and go in the
// temporary folder, where the other tests make theirs.
class JreDialogShellBrowser : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(turn_.held()); }

    TestTurn turn_{L"jlaunch-tests-shell-browser"};
    TemporaryFolder folder_{besideTemporaryFolder()};
};

// The text of the folder selected in the browser's tree.
std::wstring selectedFolderName(HWND browser) {
    HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    const auto item = reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (tree == nullptr || item == nullptr) {
        return {};
    }
    std::wstring text(MAX_PATH, L'\0');
    TVITEMW request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = text.data();
    request.cchTextMax = MAX_PATH;
    sendTo(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&request));
    return text.c_str();
}

// Selects a folder the way the browser's owner can; the browser fills its
// tree after it shows, so the request is repeated until the tree follows.
bool selectInBrowser(HWND browser, const std::wstring& folder) {
    const std::wstring name = folder.substr(folder.rfind(L'\\') + 1);
    return waitUntil(
        [&] {
            sendTo(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
            return sameText(selectedFolderName(browser), name);
        },
        kShellTimeout);
}

std::string describeWindow(HWND window) {
    std::string out = "[" + report(windowClassName(window)) + "] \"" + report(windowText(window)) + "\":";
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        out += " [" + report(windowClassName(child)) + "] \"" + report(windowText(child)) + "\"";
    }
    return out;
}

// The control of a dialog whose text is `text`, null when none is.
HWND childWithText(HWND dialog, const std::wstring& text) {
    struct Search {
        std::wstring text;
        HWND found = nullptr;
    } search{text};
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            if (windowText(child) == s.text) {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(JreDialogShellBrowser, BrowseOpensTheShellBrowserTitledInTheDialogLanguage) {
    // Wine's browser selects a folder by path only a few levels down: the
    // test folder itself is the Java home.
    const std::wstring home = folder_.path();
    folder_.writeFile(L"bin\\server\\jvm.dll", "");
    JreDialogRun run({1031, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    // Cancelled first: nothing changes.
    ASSERT_TRUE(sendCommand(dialog, kJreDialogBrowse));
    HWND browser = run.dialogOwnedBy(dialog, kShellTimeout);
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    EXPECT_NE(childWithText(browser, L"Nach dem JRE-Verzeichnis suchen"), nullptr) << describeWindow(browser);
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the browser is not modal to the dialog";
    ASSERT_TRUE(clickButton(browser, IDCANCEL));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(browser) && IsWindowEnabled(dialog); }, kShellTimeout));
    EXPECT_EQ(pathText(dialog), L"");
    EXPECT_FALSE(okEnabled(dialog));

    // Then the Java home is selected and taken.
    ASSERT_TRUE(sendCommand(dialog, kJreDialogBrowse));
    browser = run.dialogOwnedBy(dialog, kShellTimeout);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(selectInBrowser(browser, home)) << "selected: " << report(selectedFolderName(browser));
    ASSERT_TRUE(clickButton(browser, IDOK));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(browser) && IsWindowEnabled(dialog); }, kShellTimeout));
    EXPECT_TRUE(sameText(pathText(dialog), home)) << report(pathText(dialog));
    EXPECT_TRUE(okEnabled(dialog));

    ASSERT_TRUE(clickButton(dialog, IDOK));
    const std::optional<JreChoice> choice = run.result();
    ASSERT_TRUE(choice.has_value());
    EXPECT_TRUE(sameText(choice->folder, home + L"\\")) << report(choice->folder);
}

// ---------------------------------------------------------------------------
// Where the dialog appears and who owns it

RECT workAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

RECT windowPlace(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

::testing::AssertionResult centredOver(const RECT& inner, const RECT& outer) {
    const LONG dx = (inner.left + inner.right) - (outer.left + outer.right);
    const LONG dy = (inner.top + inner.bottom) - (outer.top + outer.bottom);
    if (std::abs(dx) <= 2 && std::abs(dy) <= 2) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << describe(inner) << " is not centred over " << describe(outer);
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(JreDialogPlacement, WithoutOwnerItIsCentredInTheWorkArea) {
    JreDialogRun run({1033, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_TRUE(centredOver(windowPlace(dialog), workAreaOf(dialog)));
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
}

TEST(JreDialogPlacement, OwnedByTheActiveWindowAndCentredOverIt) {
    JreDialogRun run({1033, JvmType::Server, L"message", RECT{40, 30, 740, 530}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(run.owner(), nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), run.owner());
    EXPECT_TRUE(centredOver(windowPlace(dialog), windowPlace(run.owner())));
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
}

TEST(JreDialogPlacement, OwnerNearTheEdgeKeepsTheDialogInsideTheWorkArea) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // A small owner in the bottom right corner, partly off the screen.
    JreDialogRun run({1033, JvmType::Server, L"message",
                      RECT{work.right - 60, work.bottom - 40, work.right + 60, work.bottom + 40}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    const RECT place = windowPlace(dialog);
    const RECT area = workAreaOf(dialog);
    EXPECT_TRUE(inside(place, area)) << describe(place) << " in " << describe(area);
    EXPECT_EQ(place.right, area.right);
    EXPECT_EQ(place.bottom, area.bottom);
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
}

TEST(JreDialogPlacement, MinimisedOwnerLeavesTheDialogCentredInTheWorkArea) {
    JreDialogRun run({1033, JvmType::Server, L"message", RECT{0, 0, 300, 200}, true});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(IsIconic(run.owner()));
    EXPECT_TRUE(centredOver(windowPlace(dialog), workAreaOf(dialog)));
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
}

}  // namespace
}  // namespace jlaunch::test
