// The "JRE Not Found" dialog and its link control, driven the way a user
// drives them. The dialog runs on a thread of its own in the language set
// there; the test finds it, reads it and presses its buttons from outside.
// The link control is also taken over in a window of the test's own thread,
// where its drawing, cursor, keyboard and shell opening are observed.
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
#include "ui/hyperlink_control.h"
#include "jvmsearch/chosen_folder.h"
#include "ui/jre_not_found_dialog_win.h"
#include "launch_helper.h"
#include "common/messages.h"

namespace jlaunch::test {
namespace {

using namespace std::chrono_literals;

// How long a window may take to answer or appear on a busy machine; a
// passing test takes a fraction of it.
constexpr std::chrono::milliseconds kTimeout = 10s;
// The shell's folder browser loads the shell namespace first.
constexpr std::chrono::milliseconds kShellTimeout = 20s;
constexpr UINT kSendTimeoutMs = 3000;

template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout = kTimeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        // Windows of this thread keep getting their messages while we wait.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return true;
}

LRESULT sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string report(const std::wstring& text) {
    return narrowForReport(text);
}

// ---------------------------------------------------------------------------
// Shared state of the test processes: the user's link colours live in the
// registry of the one Wine prefix, so tests that read or write them take turns.

using MutexOwnership = ClosedBy<HANDLE, &ReleaseMutex>;

using UniqueKey = UniqueRegistryKey;

constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Internet Explorer\\Settings";

// One test at a time among the test processes holds a turn of this name.
class TestTurn {
public:
    explicit TestTurn(const wchar_t* name) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
        if (mutex_ && WaitForSingleObject(mutex_.get(), 60000) != WAIT_TIMEOUT) {
            owned_.reset(mutex_.get());
        }
    }
    bool held() const { return owned_.valid(); }

private:
    UniqueHandle mutex_;
    UniqueResource<MutexOwnership> owned_;
};

// Holds the link colour values of the current user for one test: they are
// removed at the start (defaults apply) and put back as they were at the end.
class UserLinkColors {
public:
    UserLinkColors() {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &key, nullptr);
        key_.reset(key);
        for (auto* name : {L"Anchor Color", L"Anchor Color Visited"}) {
            Saved saved{name, 0, {}};
            DWORD size = 0;
            if (RegQueryValueExW(key_.get(), name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
                saved.bytes.resize(size);
                RegQueryValueExW(key_.get(), name, nullptr, &saved.type, saved.bytes.data(), &size);
                saved_.push_back(saved);
            }
            RegDeleteValueW(key_.get(), name);
        }
    }
    ~UserLinkColors() {
        for (auto* name : {L"Anchor Color", L"Anchor Color Visited"}) {
            RegDeleteValueW(key_.get(), name);
        }
        for (const auto& saved : saved_) {
            RegSetValueExW(key_.get(), saved.name, 0, saved.type, saved.bytes.data(),
                           static_cast<DWORD>(saved.bytes.size()));
        }
    }
    UserLinkColors(const UserLinkColors&) = delete;
    UserLinkColors& operator=(const UserLinkColors&) = delete;

    bool ready() const { return turn_.held() && key_.valid(); }

    // A string value with its terminating zero, or the raw bytes given.
    void set(const wchar_t* name, const std::wstring& text) const {
        setBytes(name, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    void setBytes(const wchar_t* name, const void* bytes, std::size_t size) const {
        RegSetValueExW(key_.get(), name, 0, REG_SZ, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size));
    }

private:
    struct Saved {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    TestTurn turn_{L"jlaunch-tests-anchor-color"};
    UniqueKey key_;
    std::vector<Saved> saved_;
};

// Every pixel of the control's client area as the control draws it.
class Picture {
public:
    explicit Picture(HWND control) {
        RECT client{};
        GetClientRect(control, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        if (bitmap != nullptr && memory != nullptr) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
            GdiFlush();
            const auto* pixels = static_cast<const DWORD*>(bits);
            pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
            SelectObject(memory, previous);
        }
        if (memory != nullptr) {
            DeleteDC(memory);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }

    COLORREF at(LONG x, LONG y) const {
        const DWORD pixel = pixels_.at(static_cast<std::size_t>(y * width_ + x));
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    int count(COLORREF color, const RECT* within = nullptr) const {
        int n = 0;
        for (LONG y = 0; y < height_; ++y) {
            for (LONG x = 0; x < width_; ++x) {
                const POINT point{x, y};
                if ((within == nullptr || PtInRect(within, point)) && at(x, y) == color) {
                    ++n;
                }
            }
        }
        return n;
    }
    // The longest run of one colour in a row: an underline is one.
    LONG longestRun(COLORREF color) const {
        LONG longest = 0;
        for (LONG y = 0; y < height_; ++y) {
            LONG run = 0;
            for (LONG x = 0; x < width_; ++x) {
                run = at(x, y) == color ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    }
    // The leftmost and rightmost columns with the colour; {-1, -1} without.
    std::pair<LONG, LONG> columns(COLORREF color) const {
        LONG first = -1;
        LONG last = -1;
        for (LONG y = 0; y < height_; ++y) {
            for (LONG x = 0; x < width_; ++x) {
                if (at(x, y) == color) {
                    first = first < 0 ? x : std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        return {first, last};
    }

private:
    LONG width_ = 0;
    LONG height_ = 0;
    std::vector<DWORD> pixels_;
};

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

// The dialog windows of one thread; none for no thread (Wine would list
// every thread's windows for thread 0).
std::vector<HWND> dialogsOfThread(DWORD threadId) {
    struct Search {
        DWORD threadId;
        std::vector<HWND> found;
    } search{threadId, {}};
    if (threadId == 0) {
        return {};
    }
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            if (GetWindowThreadProcessId(window, nullptr) == s.threadId && windowClassName(window) == L"#32770") {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class DialogRun {
public:
    explicit DialogRun(DialogOptions options) : options_(std::move(options)), done_(result_.get_future().share()) {
        thread_ = std::thread([this] { run(); });
    }
    ~DialogRun() {
        if (done_.wait_for(0s) != std::future_status::ready) {
            // A test that failed half-way must not leave the dialog waiting.
            for (int attempt = 0; attempt < 3 && done_.wait_for(0s) != std::future_status::ready; ++attempt) {
                for (HWND window : dialogsOfThread(threadId_)) {
                    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                }
                done_.wait_for(1s);
            }
            if (done_.wait_for(kTimeout) != std::future_status::ready) {
                std::fputs("the dialog could not be closed\n", stderr);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        thread_.join();
    }
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

    // The "JRE Not Found" dialog once it is shown; null when it never was.
    HWND dialog() {
        HWND found = nullptr;
        waitUntil([&] {
            for (HWND window : dialogsOfThread(threadId_)) {
                if (IsWindowVisible(window) && windowClassName(GetWindow(window, GW_OWNER)) != L"#32770") {
                    found = window;
                }
            }
            return found != nullptr || done_.wait_for(0s) == std::future_status::ready;
        });
        return found;
    }

    // A dialog owned by `owner` on the dialog's thread (the folder browser).
    HWND dialogOwnedBy(HWND owner, std::chrono::milliseconds timeout) {
        HWND found = nullptr;
        waitUntil(
            [&] {
                for (HWND window : dialogsOfThread(threadId_)) {
                    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == owner) {
                        found = window;
                    }
                }
                return found != nullptr;
            },
            timeout);
        return found;
    }

    HWND owner() const { return owner_; }
    bool finished(std::chrono::milliseconds within = kTimeout) {
        return done_.wait_for(within) == std::future_status::ready;
    }
    // What showJreNotFoundDialog returned; the test fails when it never returns.
    std::optional<JreChoice> result() {
        if (!finished()) {
            ADD_FAILURE() << "the dialog did not close";
            return std::nullopt;
        }
        return done_.get();
    }

private:
    void run() {
        SetThreadLocale(MAKELCID(options_.language, SORT_DEFAULT));
        if (options_.ownerRect) {
            const RECT& place = *options_.ownerRect;
            owner_ = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
            SetActiveWindow(owner_);
            if (options_.minimizeOwner) {
                ShowWindow(owner_, SW_MINIMIZE);
            }
        }
        threadId_ = GetCurrentThreadId();
        result_.set_value(showJreNotFoundDialog(options_.message, options_.address, [this](const std::wstring& folder) {
            return checkChosenFolder(folder, options_.type);
        }));
        if (owner_ != nullptr) {
            DestroyWindow(owner_);
        }
    }

    DialogOptions options_;
    std::promise<std::optional<JreChoice>> result_;
    std::shared_future<std::optional<JreChoice>> done_;
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> owner_{nullptr};
    std::thread thread_;
};

bool okEnabled(HWND dialog) {
    return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
}
std::wstring pathText(HWND dialog) {
    return windowText(GetDlgItem(dialog, kJreDialogPathEdit));
}

// Where the dialog manager puts a control that the template places in dialog
// units: position and size are each converted with the dialog's base units.
RECT dialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT units{x, y, width, height};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

RECT placeInDialog(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string describe(const RECT& rect) {
    return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom) + ")";
}

::testing::AssertionResult samePlace(const RECT& actual, const RECT& expected) {
    if (EqualRect(&actual, &expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "at " << describe(actual) << ", expected " << describe(expected);
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
    DialogRun run(
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
    DialogRun run({MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS), JvmType::Server, L"x", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), L"JRE nicht gefunden");
}

TEST_F(JreDialog, UnshippedLanguageGetsEnglish) {
    DialogRun run({MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), JvmType::Server, L"x", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), L"JRE Not Found");
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDCANCEL)), L"Cancel");
}

TEST_F(JreDialog, ShowsTheErrorIconAndTheDownloadLink) {
    const UserLinkColors colors;
    ASSERT_TRUE(colors.ready());
    DialogRun run({1033, JvmType::Server, L"message", {}, false});
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
    std::wstring tipText(80, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = link;
    tool.uId = 1;
    tool.lpszText = tipText.data();
    ASSERT_TRUE(sendTo(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_STREQ(tipText.c_str(), kJavaDownloadAddress);
    RECT client{};
    GetClientRect(link, &client);
    EXPECT_GT(tool.rect.right - tool.rect.left, 20);
    EXPECT_LE(tool.rect.right, client.right) << "the address is wider than its control";
    EXPECT_LE(tool.rect.bottom, client.bottom) << "the address takes more than one line";
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
        DialogRun run(options);
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
    DialogRun run({1033, folderCase.type, L"message", {}, false});
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
    DialogRun run({1031, JvmType::Server, L"message", {}, false});
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
    DialogRun run({1033, JvmType::Server, L"message", {}, false});
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
    DialogRun run({1033, JvmType::Server, L"message", {}, false});
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
    DialogRun run({1033, JvmType::Server, L"message", {}, false});
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
    DialogRun run({1031, JvmType::Server, L"message", {}, false});
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
    DialogRun run({1031, JvmType::Server, L"message", {}, false});
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
    DialogRun run({1033, JvmType::Server, L"message", {}, false});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_TRUE(centredOver(windowPlace(dialog), workAreaOf(dialog)));
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
}

TEST(JreDialogPlacement, OwnedByTheActiveWindowAndCentredOverIt) {
    DialogRun run({1033, JvmType::Server, L"message", RECT{40, 30, 740, 530}, false});
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
    DialogRun run({1033, JvmType::Server, L"message",
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
    DialogRun run({1033, JvmType::Server, L"message", RECT{0, 0, 300, 200}, true});
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(IsIconic(run.owner()));
    EXPECT_TRUE(centredOver(windowPlace(dialog), workAreaOf(dialog)));
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
}

// ---------------------------------------------------------------------------
// The link control in a window of this thread

using UniqueFont = UniqueResource<ClosedBy<HFONT, &DeleteObject>>;

// Not blue or purple when the focus rectangle inverts it.
constexpr COLORREF kBackground = RGB(255, 255, 224);
constexpr COLORREF kGreen = RGB(0, 128, 0);

// The parent hands static controls a brush of its own, as a dialog does.
LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UniqueResource<ClosedBy<HBRUSH, &DeleteObject>> brush(CreateSolidBrush(kBackground));
    if (message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<LRESULT>(brush.get());
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* parentClass() {
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &parentProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"jlaunch-link-test-parent";
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        return RegisterClassW(&windowClass);
    }();
    return atom != 0 ? L"jlaunch-link-test-parent" : nullptr;
}

// A file whose "open" verb copies it to "<file>.opened", so that opening it
// through the shell leaves a visible trace and starts nothing lasting. Wine
// reads file types only from the machine's classes, Windows from the user's
// first: the type goes to both (the machine's where this may write there).
class OpenableFile {
public:
    explicit OpenableFile(const TemporaryFolder& folder)
        : extension_(L".jltest" + std::to_wstring(GetCurrentProcessId())),
          progId_(L"jlaunch.test" + std::to_wstring(GetCurrentProcessId())),
          path_(folder.writeFile(L"target" + extension_, "opened")) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring command = L"\"" + std::wstring(system) + L"\\cmd.exe\" /c copy /y \"%1\" \"%1.opened\"";
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            setDefault(root, L"Software\\Classes\\" + extension_, progId_);
            setDefault(root, L"Software\\Classes\\" + progId_ + L"\\shell\\open\\command", command);
        }
    }
    ~OpenableFile() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteTreeW(root, (L"Software\\Classes\\" + extension_).c_str());
            RegDeleteTreeW(root, (L"Software\\Classes\\" + progId_).c_str());
        }
    }
    OpenableFile(const OpenableFile&) = delete;
    OpenableFile& operator=(const OpenableFile&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring trace() const { return path_ + L".opened"; }
    bool opened() const { return GetFileAttributesW(trace().c_str()) != INVALID_FILE_ATTRIBUTES; }
    bool waitUntilOpened() const {
        return waitUntil([&] { return opened(); }, 8s);
    }
    void forget() const { DeleteFileW(trace().c_str()); }

private:
    static void setDefault(HKEY root, const std::wstring& keyPath, const std::wstring& value) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            const UniqueKey owner(key);
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
    }

    std::wstring extension_;
    std::wstring progId_;
    std::wstring path_;
};

class JreDialogLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(colors_.ready());
        ASSERT_NE(parentClass(), nullptr);
        parent_.reset(CreateWindowExW(0, parentClass(), L"link test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 460,
                                      220, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(parent_.valid());
        LOGFONTW description{};
        description.lfHeight = -16;
        description.lfWeight = FW_NORMAL;
        std::wstring_view(L"Tahoma").copy(description.lfFaceName, LF_FACESIZE - 1);
        font_.reset(CreateFontIndirectW(&description));
        description.lfHeight = -32;
        bigFont_.reset(CreateFontIndirectW(&description));
        ASSERT_TRUE(font_.valid() && bigFont_.valid());
    }

    // A static control with `text` in the parent; the link takes it over.
    HWND makeLink(const std::wstring& text, DWORD alignment = SS_LEFT, HFONT font = nullptr, int width = 400) {
        control_.reset(CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | WS_VISIBLE | alignment, 10, 10, width, 60,
                                       parent_.get(), reinterpret_cast<HMENU>(205), GetModuleHandleW(nullptr),
                                       nullptr));
        link_ = std::make_unique<HyperLinkControl>();
        const bool taken = control_.valid() && link_->takeOver(control_.get(), font != nullptr ? font : font_.get());
        EXPECT_TRUE(taken);
        return control_.get();
    }

    POINT insideLink() const {
        const RECT rect = link_->linkRect();
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    POINT belowLink() const {
        const RECT rect = link_->linkRect();
        return {(rect.left + rect.right) / 2, rect.bottom + 5};
    }
    static LPARAM at(POINT point) { return MAKELPARAM(point.x, point.y); }

    void click(POINT down, POINT up) const {
        SendMessageW(control_.get(), WM_LBUTTONDOWN, MK_LBUTTON, at(down));
        SendMessageW(control_.get(), WM_LBUTTONUP, 0, at(up));
    }

    // The tooltip window of this thread that the parent owns.
    HWND tooltip() const {
        struct Search {
            HWND owner;
            HWND found;
        } search{parent_.get(), nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM parameter) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(parameter);
                if (windowClassName(window) == TOOLTIPS_CLASSW && GetWindow(window, GW_OWNER) == s.owner) {
                    s.found = window;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    UserLinkColors colors_;
    TemporaryFolder folder_;
    UniqueWindow parent_;
    UniqueFont font_;
    UniqueFont bigFont_;
    // Destroyed before the parent, and the link before its control.
    UniqueWindow control_;
    std::unique_ptr<HyperLinkControl> link_;
};

TEST_F(JreDialogLink, DrawsTheLabelUnderlinedInTheLinkColourOnTheParentsBrush) {
    HWND control = makeLink(L"https://example.org/");
    const Picture picture(control);
    const RECT area = link_->linkRect();
    EXPECT_GT(picture.count(kDefaultLinkColor, &area), 20);
    EXPECT_EQ(picture.count(kDefaultVisitedLinkColor), 0);
    // The underline runs under the whole label.
    EXPECT_GE(picture.longestRun(kDefaultLinkColor), (area.right - area.left) * 9 / 10);
    EXPECT_EQ(picture.at(398, 58), kBackground);
    EXPECT_EQ(picture.count(kDefaultLinkColor), picture.count(kDefaultLinkColor, &area))
        << "drawn outside the link area";
    EXPECT_TRUE(GetWindowLongPtrW(control, GWL_STYLE) & SS_NOTIFY);
}

TEST_F(JreDialogLink, GetTextAndGetFontAnswerLikeTheStatic) {
    HWND control = makeLink(L"label text");
    std::wstring text(32, L'\0');
    const auto length = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    EXPECT_EQ(text.substr(0, static_cast<std::size_t>(length)), L"label text");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font_.get());
}

TEST_F(JreDialogLink, WithoutAFontItUsesTheIconTitleFont) {
    control_.reset(CreateWindowExW(0, L"Static", L"label", WS_CHILD | WS_VISIBLE, 10, 10, 400, 60, parent_.get(),
                                   nullptr, GetModuleHandleW(nullptr), nullptr));
    link_ = std::make_unique<HyperLinkControl>();
    ASSERT_TRUE(link_->takeOver(control_.get(), nullptr));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control_.get(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW used{};
    LOGFONTW iconTitle{};
    ASSERT_EQ(GetObjectW(font, sizeof(used), &used), static_cast<int>(sizeof(used)));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0));
    EXPECT_STREQ(used.lfFaceName, iconTitle.lfFaceName);
    EXPECT_EQ(used.lfHeight, iconTitle.lfHeight);
    EXPECT_FALSE(used.lfUnderline);
    // A font given later replaces the one the control made.
    SendMessageW(control_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control_.get(), WM_GETFONT, 0, 0)), font_.get());
    EXPECT_GT(Picture(control_.get()).count(kDefaultLinkColor), 20);
}

TEST_F(JreDialogLink, SetFontRemeasuresTheLinkAndItsTooltip) {
    HWND control = makeLink(L"https://example.org/");
    const RECT small = link_->linkRect();
    const POINT newlyCovered{small.right + 5, small.top + 2};
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(bigFont_.get()), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), bigFont_.get());
    const RECT big = link_->linkRect();
    EXPECT_GT(big.right - big.left, small.right - small.left);
    EXPECT_GT(big.bottom - big.top, small.bottom - small.top);

    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = control;
    tool.uId = 1;
    HWND tip = tooltip();
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_TRUE(EqualRect(&tool.rect, &big)) << describe(tool.rect) << " vs " << describe(big);

    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(control, WM_MOUSEMOVE, 0, at(newlyCovered));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    // The bigger letters are drawn: the underline is as long as the new label.
    EXPECT_GE(Picture(control).longestRun(kDefaultLinkColor), (big.right - big.left) * 9 / 10);
}

TEST_F(JreDialogLink, HandCursorOnlyOverTheLink) {
    HWND control = makeLink(L"https://example.org/");
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    ASSERT_NE(hand, nullptr);

    SetCursor(arrow);
    SendMessageW(control, WM_MOUSEMOVE, 0, at(insideLink()));
    EXPECT_EQ(GetCursor(), hand);
    SetCursor(arrow);
    SendMessageW(control, WM_MOUSEMOVE, 0, at(belowLink()));
    EXPECT_EQ(GetCursor(), arrow);

    // WM_SETCURSOR asks where the pointer is.
    POINT screen = insideLink();
    ClientToScreen(control, &screen);
    ASSERT_TRUE(SetCursorPos(screen.x, screen.y));
    POINT now{};
    GetCursorPos(&now);
    if (now.x != screen.x || now.y != screen.y) {
        GTEST_SKIP() << "this display cannot move the pointer";
    }
    SetCursor(arrow);
    EXPECT_TRUE(
        SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), hand);
    screen = belowLink();
    ClientToScreen(control, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(JreDialogLink, TooltipShowsTheAddressOverTheLinkAndGoesWithTheControl) {
    HWND control = makeLink(L"https://example.org/");
    HWND tip = tooltip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    std::wstring text(80, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = control;
    tool.uId = 1;
    tool.lpszText = text.data();
    ASSERT_TRUE(SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_STREQ(text.c_str(), L"https://example.org/");
    const RECT area = link_->linkRect();
    EXPECT_TRUE(EqualRect(&tool.rect, &area));
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 0);

    control_.reset();
    EXPECT_FALSE(IsWindow(tip));
}

TEST_F(JreDialogLink, CentredAndRightAlignedLabelsMoveTheLinkArea) {
    HWND control = makeLink(L"https://example.org/", SS_CENTER);
    RECT client{};
    GetClientRect(control, &client);
    RECT area = link_->linkRect();
    EXPECT_LE(std::abs((area.left - client.left) - (client.right - area.right)), 1) << describe(area);
    auto [first, last] = Picture(control).columns(kDefaultLinkColor);
    EXPECT_GE(first, area.left);
    EXPECT_LE(last, area.right);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(control, WM_MOUSEMOVE, 0, at(POINT{2, area.top + 2}));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW)) << "the empty left part is not the link";

    // Resizing the control moves the centred label with it.
    SetWindowPos(control, nullptr, 0, 0, 300, 60, SWP_NOMOVE | SWP_NOZORDER);
    const RECT narrower = link_->linkRect();
    EXPECT_EQ(narrower.right - narrower.left, area.right - area.left);
    EXPECT_LE(std::abs(narrower.left - (300 - (area.right - area.left)) / 2), 1) << describe(narrower);

    control = makeLink(L"https://example.org/", SS_RIGHT);
    GetClientRect(control, &client);
    area = link_->linkRect();
    EXPECT_EQ(area.right, client.right);
    std::tie(first, last) = Picture(control).columns(kDefaultLinkColor);
    EXPECT_GE(first, area.left);
    EXPECT_LE(last, area.right);
}

TEST_F(JreDialogLink, ClickOnTheLinkOpensTheAddressAndTurnsItVisited) {
    const OpenableFile file(folder_);
    HWND control = makeLink(file.path());
    ASSERT_FALSE(file.opened());

    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at(insideLink()));
    EXPECT_EQ(GetCapture(), control);
    EXPECT_EQ(GetFocus(), control);
    SendMessageW(control, WM_LBUTTONUP, 0, at(insideLink()));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_TRUE(file.waitUntilOpened()) << "the shell did not open " << report(file.path());
    EXPECT_TRUE(link_->visited());
    Picture picture(control);
    EXPECT_GT(picture.count(kDefaultVisitedLinkColor), 20);
    EXPECT_EQ(picture.count(kDefaultLinkColor), 0);

    // A second opening keeps the visited colour.
    file.forget();
    click(insideLink(), insideLink());
    EXPECT_TRUE(file.waitUntilOpened());
    picture = Picture(control);
    EXPECT_GT(picture.count(kDefaultVisitedLinkColor), 20);
    EXPECT_EQ(picture.count(kDefaultLinkColor), 0);
}

TEST_F(JreDialogLink, ClickThatDoesNotStayOnTheLinkOpensNothing) {
    const OpenableFile file(folder_);
    HWND control = makeLink(file.path());

    // Pressed on the link, released beside it.
    click(insideLink(), belowLink());
    EXPECT_EQ(GetCapture(), nullptr);
    // Pressed beside the link, released on it: no capture was taken.
    click(belowLink(), insideLink());
    // Released without any press.
    SendMessageW(control, WM_LBUTTONUP, 0, at(insideLink()));

    EXPECT_FALSE(link_->visited());
    EXPECT_EQ(Picture(control).count(kDefaultVisitedLinkColor), 0);
    Sleep(500);
    EXPECT_FALSE(file.opened());
}

TEST_F(JreDialogLink, EnterAndSpaceOpenTheLinkOtherCharactersDoNot) {
    const OpenableFile file(folder_);
    HWND control = makeLink(file.path());
    EXPECT_TRUE(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS);
    MSG enter{control, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(SendMessageW(control, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE)
        << "Enter would press the dialog's default button instead";

    SendMessageW(control, WM_CHAR, L'a', 0);
    SendMessageW(control, WM_CHAR, L'\t', 0);
    EXPECT_FALSE(link_->visited());

    SendMessageW(control, WM_CHAR, L' ', 0);
    ASSERT_TRUE(file.waitUntilOpened());
    EXPECT_TRUE(link_->visited());
    file.forget();
    SendMessageW(control, WM_CHAR, L'\r', 0);
    EXPECT_TRUE(file.waitUntilOpened());
}

TEST_F(JreDialogLink, FailedOpeningChangesNothingAndShowsNothing) {
    HWND control = makeLink(folder_ / L"missing.jltest-none");
    const auto before = visibleWindowsOf(GetCurrentProcessId());
    click(insideLink(), insideLink());
    SendMessageW(control, WM_CHAR, L' ', 0);
    EXPECT_FALSE(link_->visited());
    EXPECT_GT(Picture(control).count(kDefaultLinkColor), 20);
    Sleep(300);
    EXPECT_EQ(visibleWindowsOf(GetCurrentProcessId()).size(), before.size());
}

TEST_F(JreDialogLink, DisabledControlDrawsGreyVisitedOrNot) {
    const OpenableFile file(folder_);
    HWND control = makeLink(file.path());
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    ASSERT_NE(grey, kDefaultLinkColor);

    EnableWindow(control, FALSE);
    Picture picture(control);
    EXPECT_GT(picture.count(grey), 20);
    EXPECT_EQ(picture.count(kDefaultLinkColor), 0);

    EnableWindow(control, TRUE);
    SendMessageW(control, WM_CHAR, L' ', 0);
    ASSERT_TRUE(link_->visited());
    EnableWindow(control, FALSE);
    picture = Picture(control);
    EXPECT_GT(picture.count(grey), 20);
    EXPECT_EQ(picture.count(kDefaultVisitedLinkColor), 0);
    EXPECT_TRUE(file.waitUntilOpened());
}

TEST_F(JreDialogLink, FocusDrawsARectangleAroundTheLinkAndUiStateCannotHideIt) {
    HWND control = makeLink(L"https://example.org/");
    const Picture unfocused(control);
    SetFocus(control);
    ASSERT_EQ(GetFocus(), control);
    SendMessageW(control, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    const Picture focused(control);
    // The focus rectangle lies on the border of the link area.
    const RECT area = link_->linkRect();
    int changed = 0;
    for (LONG x = area.left; x < area.right; ++x) {
        changed += unfocused.at(x, area.top) != focused.at(x, area.top) ? 1 : 0;
    }
    EXPECT_GT(changed, (area.right - area.left) / 4);
}

// ---------------------------------------------------------------------------
// The user's link colours

TEST(JreDialogAnchorColor, ParsesRedGreenBlueModulo256) {
    struct Case {
        const wchar_t* text;
        std::optional<COLORREF> expected;
    };
    const Case cases[] = {
        {L"0,128,0", RGB(0, 128, 0)}, {L"300,0,0", RGB(44, 0, 0)},  {L"255,256,257", RGB(255, 0, 1)},
        {L"-1,0,0", RGB(255, 0, 0)},  {L" 7, 8 ,9x", RGB(7, 8, 9)}, {L",,5", RGB(0, 0, 5)},
        {L"a,b,c", RGB(0, 0, 0)},     {L"1,2,3,4", RGB(1, 2, 3)},   {L"0,128", std::nullopt},
        {L"1,2,", std::nullopt},      {L",,", std::nullopt},        {L"128", std::nullopt},
        {L"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseAnchorColor(c.text), c.expected) << report(c.text);
    }
}

struct AnchorCase {
    const char* name;
    std::optional<std::wstring> link;
    std::optional<std::wstring> visited;
    COLORREF expectedLink;
    COLORREF expectedVisited;
};

void PrintTo(const AnchorCase& value, std::ostream* out) {
    *out << value.name;
}

class JreDialogAnchorColorSetting : public JreDialogLink, public ::testing::WithParamInterface<AnchorCase> {};

TEST_P(JreDialogAnchorColorSetting, ReplacesTheDefaultColours) {
    const AnchorCase& anchor = GetParam();
    if (anchor.link) {
        colors_.set(L"Anchor Color", *anchor.link);
    }
    if (anchor.visited) {
        colors_.set(L"Anchor Color Visited", *anchor.visited);
    }
    HWND control = makeLink(L"https://example.org/");
    EXPECT_EQ(link_->linkColor(), anchor.expectedLink);
    EXPECT_EQ(link_->visitedColor(), anchor.expectedVisited);
    EXPECT_GT(Picture(control).count(anchor.expectedLink), 20);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JreDialogAnchorColorSetting,
    ::testing::Values(AnchorCase{"None", std::nullopt, std::nullopt, kDefaultLinkColor, kDefaultVisitedLinkColor},
                      AnchorCase{"Green", L"0,128,0", std::nullopt, kGreen, kDefaultVisitedLinkColor},
                      AnchorCase{"Modulo256", L"300,0,0", L"0,0,300", RGB(44, 0, 0), RGB(0, 0, 44)},
                      AnchorCase{"TwoNumbersKeepBlue", L"0,128", L"1,2,", kDefaultLinkColor, kDefaultVisitedLinkColor},
                      AnchorCase{"VisitedOnly", std::nullopt, L"0,128,0", kDefaultLinkColor, kGreen},
                      // 12 characters with the zero make 26 bytes: more than a value may hold.
                      AnchorCase{"TooLong", L"0,128,0     ", std::nullopt, kDefaultLinkColor, kDefaultVisitedLinkColor},
                      AnchorCase{"LongestAccepted", L"0,128,0    ", std::nullopt, kGreen, kDefaultVisitedLinkColor}),
    [](const ::testing::TestParamInfo<AnchorCase>& tested) { return std::string(tested.param.name); });

TEST_F(JreDialogLink, AnchorColorWithoutTerminatingZeroIsIgnored) {
    // The size leaves out the "X": the value stored is "0,128,0" without its
    // zero (a zero right after the data would be stored with it).
    const std::wstring text = L"0,128,0X";
    colors_.setBytes(L"Anchor Color", text.data(), (text.size() - 1) * sizeof(wchar_t));
    colors_.set(L"Anchor Color Visited", L"0,128,0");
    makeLink(L"https://example.org/");
    EXPECT_EQ(link_->linkColor(), kDefaultLinkColor);
    EXPECT_EQ(link_->visitedColor(), kGreen);
}

TEST_F(JreDialogLink, VisitedLinkDrawsInTheUsersVisitedColour) {
    colors_.set(L"Anchor Color Visited", L"0,128,0");
    const OpenableFile file(folder_);
    HWND control = makeLink(file.path());
    SendMessageW(control, WM_CHAR, L' ', 0);
    ASSERT_TRUE(link_->visited());
    EXPECT_GT(Picture(control).count(kGreen), 20);
    EXPECT_TRUE(file.waitUntilOpened());
}

}  // namespace
}  // namespace jlaunch::test
