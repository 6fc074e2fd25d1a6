// The link control of the "JRE Not Found" dialog, taken over in a window of
// the test's own thread, where its drawing, cursor, keyboard and shell
// opening are observed.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/text.h"
#include "common/unique_resource.h"
#include "dialog_run.h"
#include "launch_helper.h"
#include "link_test_support.h"
#include "ui/hyperlink_control.h"

namespace jlaunch::test {
namespace {

using namespace std::chrono_literals;

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
    const auto tool = tooltipTool(tip, control);
    ASSERT_TRUE(tool.has_value());
    EXPECT_EQ(tool->text, L"https://example.org/");
    const RECT area = link_->linkRect();
    EXPECT_TRUE(EqualRect(&tool->area, &area));
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
    ASSERT_TRUE(file.waitUntilOpened()) << "the shell did not open " << narrowForReport(file.path());
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
        EXPECT_EQ(parseAnchorColor(c.text), c.expected) << narrowForReport(c.text);
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
