// The uncaught exception dialog, driven the way a user drives it. It runs on
// a thread of its own in the language set there; the test finds it, reads
// it, resizes it and answers it from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "ui/exception_dialog.h"
#include "ui/exception_dialog_win.h"
#include "dialog_run.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

using namespace std::chrono_literals;

// showUncaughtExceptionDialog on a thread of its own, in `language`, with an
// active owner window placed at `ownerPlace` when one is given.
class ExceptionDialogRun : public DialogRun<bool> {
public:
    explicit ExceptionDialogRun(std::wstring trace, LANGID language = 1033,
                                std::optional<RECT> ownerPlace = std::nullopt)
        : DialogRun(language, ownerPlace ? std::optional<OwnerWindow>(OwnerWindow{*ownerPlace}) : std::nullopt,
                    [trace = std::move(trace)] { return showUncaughtExceptionDialog(trace); }) {}
};

constexpr const wchar_t* kTrace =
    L"java.lang.IllegalStateException: Größe überschritten\r\n"
    L"\tat demo.Main.check(Main.java:12)\r\n"
    L"\tat demo.Main.main(Main.java:5)\r\n";

RECT clientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT moved(RECT rect, LONG left, LONG top, LONG right, LONG bottom) {
    return {rect.left + left, rect.top + top, rect.right + right, rect.bottom + bottom};
}

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
}

// The size grip: a scroll bar child drawn as a sizing grip.
HWND sizeGrip(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (windowClassName(child) == L"ScrollBar" && (styleOf(child) & SBS_SIZEGRIP) != 0) {
            return child;
        }
    }
    return nullptr;
}

// Resizes the dialog from outside, as the mouse on its frame would.
void resize(HWND dialog, LONG width, LONG height) {
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Texts and layout

struct DialogTexts {
    LANGID language;
    // Caption, Ignore, Stop, frame 209, label 210, hint 211, warning 212.
    std::array<const wchar_t*, 7> texts;
};

const DialogTexts kLanguages[] = {
    {1033,
     {L"Java Exception", L"Ignore", L"Stop", L"Uncaught Exception",
      L"The java process has thrown the following uncaught exception:",
      L"Press Ignore to continue and ignore the exception or press Stop to close the application.",
      L"WARNING: If you choose to Stop the application any unsaved data will be lost."}},
    {1031,
     {L"Java Fehler", L"Ignorieren", L"Stop", L"Unbehandelte Ausnahme",
      L"Der Javaprozess hat die folgende unbehandelte Ausnahme ausgegeben:",
      L"Klicken Sie auf Ignorieren, um fortzufahren und die Ausnahme zu übergehen oder Stop, "
      L"um die Anwendung zu schließen.",
      L"Achtung: Wenn Sie die Anwendung anhalten, gehen alle nicht gespeicherten Daten verloren."}},
    {1036,
     {L"Exception Java", L"Ignorer", L"Arrêter", L"Exception non gérée",
      L"Le processus java a généré l'exception non traitée suivante:",
      L"Cliquer sur Ignorer pour continuer et ignorer l'exception ou cliquez sur Arrêter pour fermer "
      L"l'application.",
      L"ATTENTION: si vous choisissez d'arrêter l'application, toutes les données non sauvegardées seront "
      L"perdues."}},
    {1038,
     {L"Java Exception", L"Kihagy", L"Leállít", L"Nem várt hiba",
      L"A java folyamat a következő nem várt hibát eredményezte:",
      L"Nyomja meg a Kihagy gombot a hiba figyelmen kívül hagyásához és a folytatáshoz vagy nyomja meg a "
      L"Leállít gombot az alkalmazás bezárásához.",
      L"FIGYELEM: Ha az alkalmazás leállítását választja, akkor minden nem mentett információ el fog veszni!"}},
    {1040,
     {L"Eccezione Java", L"Ignora", L"Ferma", L"Eccezione non gestita",
      L"Il processo java ha sollevato la seguente eccezzione non gestita:",
      L"Premi Ignora per continuare e ignorare l'eccezione o premi Ferma per chiudere l'applicazione.",
      L"ATTENZIONE: se scegli di interrompere l'applicazione i dati non salvati andranno persi."}},
    {2070,
     {L"Excepção Java", L"Ignorar", L"Parar", L"Excepção Não Encontrada",
      L"O processo java lançou a seguinte excepção não encontrada:",
      L"Prima Ignorar para continuar e ignorar a excepção, ou prima Parar para fechar a aplicação.",
      L"AVISO: Se escolher parar a aplicação, quaisquer dados não guardados serão perdidos."}},
    {3082,
     {L"Excepción Java", L"Ignorar", L"Parar", L"Excepción no capturada",
      L"El proceso de Java lanzó la siguiente excepción no capturada",
      L"Pulse Ignorar para continuar e ignorar la excepción o pulse Parar para cerrar la aplicación",
      L"ADVERTENCIA: Si ha seleccionado Parar la aplicación se perderán los datos no guardados."}},
};

void PrintTo(const DialogTexts& texts, std::ostream* out) {
    *out << "language " << texts.language;
}

class ExceptionDialogLanguage : public ::testing::TestWithParam<DialogTexts> {};

TEST_P(ExceptionDialogLanguage, OpensWithTheTextsAndLayoutOfTheThreadLanguage) {
    const DialogTexts& expected = GetParam();
    ExceptionDialogRun run(kTrace, expected.language);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(windowText(dialog), expected.texts[0]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDOK)), expected.texts[1]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, IDCANCEL)), expected.texts[2]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kExceptionDialogFrame)), expected.texts[3]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kExceptionDialogLabel)), expected.texts[4]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kExceptionDialogHint)), expected.texts[5]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kExceptionDialogWarning)), expected.texts[6]);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kExceptionDialogTrace)), kTrace);

    // The client area and every control but the icon (which takes the size
    // of its picture) sit where the template puts them.
    EXPECT_TRUE(samePlace(clientRect(dialog), dialogUnits(dialog, 0, 0, 275, 242)));
    const struct {
        int id;
        RECT place;
    } controls[] = {
        {kExceptionDialogFrame, dialogUnits(dialog, 8, 11, 259, 221)},
        {kExceptionDialogLabel, dialogUnits(dialog, 42, 28, 217, 16)},
        {kExceptionDialogTrace, dialogUnits(dialog, 16, 54, 243, 102)},
        {kExceptionDialogHint, dialogUnits(dialog, 16, 164, 243, 18)},
        {kExceptionDialogWarning, dialogUnits(dialog, 16, 187, 243, 18)},
        {IDOK, dialogUnits(dialog, 153, 210, 50, 14)},
        {IDCANCEL, dialogUnits(dialog, 209, 210, 50, 14)},
    };
    for (const auto& control : controls) {
        EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, control.id)), control.place))
            << "control " << control.id;
    }
    const RECT icon = placeInDialog(dialog, GetDlgItem(dialog, kExceptionDialogIcon));
    const RECT iconTemplate = dialogUnits(dialog, 16, 26, 20, 20);
    EXPECT_EQ(icon.left, iconTemplate.left);
    EXPECT_EQ(icon.top, iconTemplate.top);

    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_EQ(run.answer(), true);
}

INSTANTIATE_TEST_SUITE_P(SevenLanguages, ExceptionDialogLanguage, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<DialogTexts>& tested) {
                             return "Language" + std::to_string(tested.param.language);
                         });

TEST(ExceptionDialog, OtherCountryOfAShippedLanguageGetsThatLanguageAnUnshippedOneEnglish) {
    const struct {
        LANGID language;
        const wchar_t* caption;
    } cases[] = {
        {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS), L"Java Fehler"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MEXICAN), L"Excepción Java"},
        {MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), L"Java Exception"},
    };
    for (const auto& tested : cases) {
        ExceptionDialogRun run(kTrace, tested.language);
        HWND dialog = run.dialog();
        ASSERT_NE(dialog, nullptr) << "language " << tested.language;
        EXPECT_EQ(windowText(dialog), tested.caption) << "language " << tested.language;
        ASSERT_TRUE(clickButton(dialog, IDCANCEL));
        EXPECT_EQ(run.answer(), true);
    }
}

TEST(ExceptionDialog, ShowsTheErrorIconAndATransparentFrame) {
    ExceptionDialogRun run(kTrace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    HICON icon = reinterpret_cast<HICON>(sendTo(GetDlgItem(dialog, kExceptionDialogIcon), STM_GETICON));
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(icon, LoadIconW(nullptr, IDI_ERROR));
    const auto frameStyle =
        static_cast<DWORD>(GetWindowLongPtrW(GetDlgItem(dialog, kExceptionDialogFrame), GWL_EXSTYLE));
    EXPECT_TRUE(frameStyle & WS_EX_TRANSPARENT);
    EXPECT_EQ(styleOf(GetDlgItem(dialog, kExceptionDialogFrame)) & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    EXPECT_EQ(styleOf(GetDlgItem(dialog, IDOK)) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_EQ(run.answer(), true);
}

// ---------------------------------------------------------------------------
// The stack trace

TEST(ExceptionDialog, TraceIsReadOnlyMultiLineAndLongOnesScroll) {
    // Bare line feeds, as a trace may come, still give one line per frame.
    std::wstring trace = L"java.lang.RuntimeException: deep";
    std::wstring shown = trace;
    constexpr int kFrames = 2000;
    for (int frame = 0; frame < kFrames; ++frame) {
        const std::wstring line =
            L"\tat demo.Deep.call" + std::to_wstring(frame) + L"(Deep.java:" + std::to_wstring(frame + 1) + L")";
        trace += L"\n" + line;
        shown += L"\r\n" + line;
    }
    ExceptionDialogRun run(trace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    HWND edit = GetDlgItem(dialog, kExceptionDialogTrace);
    ASSERT_NE(edit, nullptr);

    EXPECT_EQ(windowText(edit), shown);
    EXPECT_EQ(sendTo(edit, EM_GETLINECOUNT), kFrames + 1);
    const DWORD style = styleOf(edit);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    // A border, however the system draws it, makes the client area lower than the window.
    const RECT box = windowRect(edit);
    EXPECT_LT(clientRect(edit).bottom, box.bottom - box.top);

    // Typing changes nothing.
    sendTo(edit, WM_CHAR, L'x', 0);
    sendTo(edit, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(windowText(edit), shown);

    // The view scrolls to the last frame.
    sendTo(edit, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_GT(sendTo(edit, EM_GETFIRSTVISIBLELINE), kFrames / 2);

    ASSERT_TRUE(clickButton(dialog, IDOK));
    EXPECT_EQ(run.answer(), false);
}

TEST(ExceptionDialog, WindowsLineEndsAndLoneCarriageReturnsStayAsTheyAre) {
    const std::wstring trace = L"first\r\nsecond\rthird\r\n";
    ExceptionDialogRun run(trace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(dialog, kExceptionDialogTrace)), trace);
    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_EQ(run.answer(), true);
}

// ---------------------------------------------------------------------------
// Resizing

TEST(ExceptionDialog, ControlsFollowTheSizeAndTheInitialSizeIsTheMinimum) {
    ExceptionDialogRun run(kTrace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(styleOf(dialog) & WS_THICKFRAME);
    EXPECT_TRUE(styleOf(dialog) & WS_CLIPCHILDREN);

    const int ids[] = {kExceptionDialogFrame,
                       kExceptionDialogIcon,
                       kExceptionDialogLabel,
                       kExceptionDialogTrace,
                       kExceptionDialogHint,
                       kExceptionDialogWarning,
                       IDOK,
                       IDCANCEL};
    std::vector<RECT> initial;
    for (const int id : ids) {
        initial.push_back(placeInDialog(dialog, GetDlgItem(dialog, id)));
    }
    HWND grip = sizeGrip(dialog);
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(IsWindowVisible(grip));
    const RECT client = clientRect(dialog);
    const RECT gripPlace = placeInDialog(dialog, grip);
    EXPECT_EQ(gripPlace.right, client.right);
    EXPECT_EQ(gripPlace.bottom, client.bottom);
    EXPECT_GT(gripPlace.right - gripPlace.left, 4);

    const RECT start = windowRect(dialog);
    const LONG width = start.right - start.left;
    const LONG height = start.bottom - start.top;

    constexpr LONG dx = 130;
    constexpr LONG dy = 95;
    resize(dialog, width + dx, height + dy);
    ASSERT_TRUE(samePlace(clientRect(dialog), moved(client, 0, 0, dx, dy)));
    const RECT expected[] = {
        moved(initial[0], 0, 0, dx, dy),    // frame: grows in width and height
        initial[1],                         // icon: fixed
        moved(initial[2], 0, 0, dx, 0),     // label: grows in width
        moved(initial[3], 0, 0, dx, dy),    // trace: grows in width and height
        moved(initial[4], 0, dy, dx, dy),   // hint: grows in width, moves down
        moved(initial[5], 0, dy, dx, dy),   // warning: grows in width, moves down
        moved(initial[6], dx, dy, dx, dy),  // Ignore: moves right and down
        moved(initial[7], dx, dy, dx, dy),  // Stop: moves right and down
    };
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, ids[i])), expected[i])) << "control " << ids[i];
    }
    EXPECT_TRUE(samePlace(placeInDialog(dialog, grip), moved(gripPlace, dx, dy, dx, dy)));

    // Smaller than at the start is not possible: the controls go back home.
    resize(dialog, width / 2, height / 3);
    const RECT shrunk = windowRect(dialog);
    EXPECT_EQ(shrunk.right - shrunk.left, width);
    EXPECT_EQ(shrunk.bottom - shrunk.top, height);
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, ids[i])), initial[i])) << "control " << ids[i];
    }
    MINMAXINFO limits{};
    sendTo(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, width);
    EXPECT_EQ(limits.ptMinTrackSize.y, height);

    // Only one of the two directions.
    resize(dialog, width, height + dy);
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, IDOK)), moved(initial[6], 0, dy, 0, dy)));
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, kExceptionDialogLabel)), initial[2]));

    ASSERT_TRUE(clickButton(dialog, IDOK));
    EXPECT_EQ(run.answer(), false);
}

TEST(ExceptionDialog, SizeGripIsHiddenWhileMaximised) {
    ExceptionDialogRun run(kTrace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    HWND grip = sizeGrip(dialog);
    ASSERT_NE(grip, nullptr);
    const RECT normal = windowRect(dialog);
    const RECT stop = placeInDialog(dialog, GetDlgItem(dialog, IDCANCEL));
    const RECT client = clientRect(dialog);

    ShowWindow(dialog, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(dialog));
    EXPECT_FALSE(IsWindowVisible(grip));
    // The controls still follow the size.
    const RECT maximised = clientRect(dialog);
    ASSERT_GT(maximised.right, client.right);
    EXPECT_TRUE(samePlace(placeInDialog(dialog, GetDlgItem(dialog, IDCANCEL)),
                          moved(stop, maximised.right - client.right, maximised.bottom - client.bottom,
                                maximised.right - client.right, maximised.bottom - client.bottom)));

    ShowWindow(dialog, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(dialog));
    EXPECT_TRUE(IsWindowVisible(grip));
    EXPECT_TRUE(samePlace(windowRect(dialog), normal));
    const RECT gripPlace = placeInDialog(dialog, grip);
    EXPECT_EQ(gripPlace.right, clientRect(dialog).right);
    EXPECT_EQ(gripPlace.bottom, clientRect(dialog).bottom);

    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_EQ(run.answer(), true);
}

// ---------------------------------------------------------------------------
// Answers

struct Answer {
    const char* name;
    void (*give)(HWND dialog, DWORD threadId);
    bool stops;
};

// Keys go to the control that has the focus, as typing would send them.
void pressKey(HWND dialog, DWORD threadId, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND target = GetGUIThreadInfo(threadId, &info) && info.hwndFocus != nullptr ? info.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

const Answer kAnswers[] = {
    {"IgnoreButton", [](HWND dialog, DWORD) { clickButton(dialog, IDOK); }, false},
    {"StopButton", [](HWND dialog, DWORD) { clickButton(dialog, IDCANCEL); }, true},
    {"EnterKey", [](HWND dialog, DWORD thread) { pressKey(dialog, thread, VK_RETURN); }, false},
    {"EscapeKey", [](HWND dialog, DWORD thread) { pressKey(dialog, thread, VK_ESCAPE); }, true},
    {"CloseBox", [](HWND dialog, DWORD) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
};

void PrintTo(const Answer& answer, std::ostream* out) {
    *out << answer.name;
}

class ExceptionDialogAnswer : public ::testing::TestWithParam<Answer> {};

TEST_P(ExceptionDialogAnswer, OnlyIgnoreLetsTheApplicationGoOn) {
    ExceptionDialogRun run(kTrace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    GetParam().give(dialog, run.threadId());
    ASSERT_TRUE(run.finished()) << "the dialog did not close";
    EXPECT_EQ(run.answer(), GetParam().stops);
    EXPECT_FALSE(IsWindow(dialog));
}

INSTANTIATE_TEST_SUITE_P(Answers, ExceptionDialogAnswer, ::testing::ValuesIn(kAnswers),
                         [](const ::testing::TestParamInfo<Answer>& tested) { return std::string(tested.param.name); });

TEST(ExceptionDialog, FocusStartsOnIgnoreAndEnterInTheTraceIgnores) {
    ExceptionDialogRun run(kTrace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(run.threadId(), &info));
    EXPECT_EQ(info.hwndFocus, GetDlgItem(dialog, IDOK));

    // Enter typed in the read-only trace still presses the default button.
    HWND edit = GetDlgItem(dialog, kExceptionDialogTrace);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.answer(), false);
}

// ---------------------------------------------------------------------------
// Owner and place

TEST(ExceptionDialog, ModalOverTheActiveWindowAndCentredOnIt) {
    const RECT ownerPlace{100, 80, 900, 700};
    ExceptionDialogRun run(kTrace, 1033, ownerPlace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(run.owner(), nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), run.owner());
    EXPECT_FALSE(IsWindowEnabled(run.owner())) << "a modal dialog disables its owner";

    const RECT owner = windowRect(run.owner());
    const RECT box = windowRect(dialog);
    EXPECT_LE(std::abs((box.left + box.right) - (owner.left + owner.right)), 1) << describe(box);
    EXPECT_LE(std::abs((box.top + box.bottom) - (owner.top + owner.bottom)), 1) << describe(box);

    ASSERT_TRUE(clickButton(dialog, IDCANCEL));
    EXPECT_EQ(run.answer(), true);
    EXPECT_TRUE(run.ownerEnabledAfter());
}

TEST(ExceptionDialog, WithoutActiveWindowItIsCentredOnTheWorkArea) {
    ExceptionDialogRun run(kTrace);
    HWND dialog = run.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    const RECT box = windowRect(dialog);
    EXPECT_LE(std::abs((box.left + box.right) - (work.left + work.right)), 1) << describe(box);
    EXPECT_LE(std::abs((box.top + box.bottom) - (work.top + work.bottom)), 1) << describe(box);

    ASSERT_TRUE(clickButton(dialog, IDOK));
    EXPECT_EQ(run.answer(), false);
}

}  // namespace
}  // namespace jlaunch::test
