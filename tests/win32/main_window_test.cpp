// The main window as created, laid out and driven by messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/dpi_win32.h"
#include "app/form_layout.h"
#include "app/form_table.h"
#include "app/main_window_win32.h"
#include "app/texts.h"
#include "form_texts.h"
#include "gui_fixture.h"

namespace tessel::test {
namespace {

// Every window the thread creates, as CreateWindowEx was asked for it.
struct Created {
    HWND window;
    HWND parent;
    int id;
    std::string className;
    std::string caption;
    LONG style;
    DWORD exStyle;
    int x, y, width, height;
};
std::vector<Created> created;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        // The wide hook sees the wide creation: the texts as the window was given them.
        const CREATESTRUCTW& cs = *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        const bool atom = HIWORD(reinterpret_cast<UINT_PTR>(cs.lpszClass)) == 0;
        created.push_back({reinterpret_cast<HWND>(wParam), cs.hwndParent,
                           static_cast<int>(reinterpret_cast<INT_PTR>(cs.hMenu)),
                           atom ? "#atom" : Utf8Of(cs.lpszClass),
                           cs.lpszName ? Utf8Of(cs.lpszName) : "", cs.style, cs.dwExStyle, cs.x,
                           cs.y, cs.cx, cs.cy});
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

using MainForm = GuiTest;

TEST_F(MainForm, ControlsAreCreatedAsTheTableSays) {
    created.clear();
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, RecordCreation, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    OpenMain();
    ::UnhookWindowsHookEx(hook);

    ASSERT_FALSE(created.empty());
    const Created& main = created.front();
    EXPECT_EQ(main.window, main_);
    EXPECT_EQ(main.className, "NORMAL0");
    EXPECT_EQ(main.caption, "Tessel");
    EXPECT_EQ(static_cast<DWORD>(main.style), 0x10CF0000u);
    // The system adds WS_EX_WINDOWEDGE to every window with a sizing frame.
    EXPECT_EQ(main.exStyle & ~WS_EX_WINDOWEDGE, static_cast<DWORD>(WS_EX_ACCEPTFILES));
    EXPECT_EQ(main.width, 515);
    EXPECT_EQ(main.height, 455);

    std::vector<Created> children;
    for (const Created& c : created) {
        if (c.parent == main_) children.push_back(c);
    }
    const auto table = MainFormControls();
    ASSERT_EQ(children.size(), table.size() + 1);  // and the status bar
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ControlSpec& expected = table[i];
        const Created& c = children[i];
        SCOPED_TRACE(expected.id);
        EXPECT_EQ(c.id, expected.id);
        EXPECT_EQ(c.className, U8(expected.className));
        EXPECT_EQ(c.caption, U8(expected.caption));
        EXPECT_EQ(static_cast<std::uint32_t>(c.style), expected.style);
        EXPECT_EQ(c.exStyle, expected.exStyle);
        EXPECT_EQ(c.x, expected.x);
        EXPECT_EQ(c.y, expected.y);
        EXPECT_EQ(c.width, expected.width);
        EXPECT_EQ(c.height, expected.height);
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(c.window, WM_GETFONT, 0, 0)),
                  FormFont(WindowDpi(main_)));
        EXPECT_EQ(::GetDlgItem(main_, expected.id), c.window);
    }
    const Created& status = children.back();
    EXPECT_EQ(status.id, StatusBar);
    EXPECT_EQ(static_cast<DWORD>(status.style), 0x50000003u);
    EXPECT_EQ(status.caption, U8(text::HintGeneral));
    wchar_t className[64] = {};
    ::GetClassNameW(status.window, className, 64);
    EXPECT_STREQ(className, STATUSCLASSNAMEW);
}

TEST_F(MainForm, MenuBarReadsFileThenHelp) {
    OpenMain();
    HMENU bar = ::GetMenu(main_);
    ASSERT_EQ(bar, MenuBar());
    ASSERT_EQ(::GetMenuItemCount(bar), 2);
    const struct {
        const char16_t* entry;
        const char16_t* item;
        UINT id;
    } expected[] = {
        {text::MenuFile, text::MenuFileExit, MenuExit},
        {text::MenuHelp, text::MenuHelpAbout, MenuAbout},
    };
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        wchar_t caption[64] = {};
        ::GetMenuStringW(bar, i, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(Utf8Of(caption), U8(expected[i].entry));
        HMENU popup = ::GetSubMenu(bar, i);
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(::GetMenuItemCount(popup), 1);
        ::GetMenuStringW(popup, 0, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(Utf8Of(caption), U8(expected[i].item));
        EXPECT_EQ(::GetMenuItemID(popup, 0), expected[i].id);
        EXPECT_EQ(::GetMenuState(popup, 0, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED), 0u);
    }
    EXPECT_EQ(U8(text::MenuHelp), "HELP(&H)");
}

TEST_F(MainForm, EveryTextReadsBackInJapaneseWithTheWideCalls) {
    // Under any ANSI code page the window is Unicode and holds the characters of
    // form_texts.h, not what the code page would make of them.
    OpenMain();
    EXPECT_TRUE(::IsWindowUnicode(main_));
    EXPECT_EQ(TextOf(main_), "てっせる！");
    for (const Caption& c : FormCaptions) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(::IsWindowUnicode(Item(c.id)));
        EXPECT_EQ(TextOf(Item(c.id)), c.text);
    }
    EXPECT_EQ(StatusText(main_), "抽出元フォルダとコピー先を指定し、実行ボタンを押してください。");
    const char* kinds[] = {"画像", "圧縮ファイル", "拡張子で指定"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        wchar_t item[64] = {};
        ::SendMessageW(Item(CmbKind), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(Utf8Of(item), kinds[i]);
    }
    const char* menus[][2] = {{"ファイル(&F)", "終了(&C)"}, {"HELP(&H)", "バージョン情報(&A)"}};
    HMENU bar = ::GetMenu(main_);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        wchar_t caption[64] = {};
        ::GetMenuStringW(bar, i, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(Utf8Of(caption), menus[i][0]);
        ::GetMenuStringW(::GetSubMenu(bar, i), 0, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(Utf8Of(caption), menus[i][1]);
    }
}

TEST_F(MainForm, StartsIdleWithImagesAndTheCurrentDirectory) {
    OpenMain();
    wchar_t wide[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, wide);
    const std::string directory = Utf8Of(wide);

    EXPECT_EQ(TextOf(main_), U8(text::ProgramTitle));
    EXPECT_EQ(TextOf(Item(EdtSource)), directory);
    EXPECT_EQ(TextOf(Item(EdtDestination)), directory);
    EXPECT_EQ(TextOf(Item(EdtLog)), U8(text::LogWelcome));
    EXPECT_EQ(::SendMessageW(Item(CmbKind), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(::SendMessageW(Item(CmbKind), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(TextOf(Item(CmbKind)), U8(text::KindImages));
    EXPECT_EQ(TextOf(Item(EdtExtensions)), "jpeg,jpg,gif,png,bmp");
    EXPECT_TRUE(StyleOf(Item(EdtExtensions)) & ES_READONLY);
    EXPECT_FALSE(::IsWindowVisible(Item(PrgProgress)));
    EXPECT_EQ(TextOf(Item(BtnExit)), U8(text::Exit));
    EXPECT_EQ(StatusText(main_), U8(text::HintGeneral));
    for (const int id : {RadSequential, RadThresholdNone}) EXPECT_TRUE(IsChecked(main_, id)) << id;
    for (const int id : {RadOverwrite, RadSeparateFolder, RadThresholdAuto, RadThresholdManual}) {
        EXPECT_FALSE(IsChecked(main_, id)) << id;
    }
    for (const ControlSpec& c : MainFormControls()) EXPECT_TRUE(::IsWindowEnabled(Item(c.id)));
    ASSERT_NE(FormMonitor(), nullptr);
    const JobTick idle = FormMonitor()->Tick();
    EXPECT_FALSE(idle.running);
    EXPECT_EQ(idle.statusText, "");
    // No settings file yet: 480 wide, and the default height 360 raised to 520.
    EXPECT_EQ(OuterSize(main_).cx, 480);
    EXPECT_EQ(OuterSize(main_).cy, 520);
}

// Where each control is, in the main window's client coordinates.
RECT ClientRectOf(HWND main, HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(MainForm, ResizingLaysTheFormOutAgain) {
    OpenMain();
    for (const SIZE outer : {SIZE{700, 600}, SIZE{480, 520}, SIZE{1000, 900}}) {
        SCOPED_TRACE(outer.cx);
        ::SetWindowPos(main_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client, status;
        ::GetClientRect(main_, &client);
        ::GetClientRect(Item(StatusBar), &status);
        const auto layout =
            LayoutForm(static_cast<std::uint16_t>(client.right),
                       static_cast<std::uint16_t>(client.bottom), status.bottom, WindowDpi(main_));
        for (const Placement& p : layout) {
            SCOPED_TRACE(p.id);
            const RECT r = ClientRectOf(main_, Item(p.id));
            EXPECT_EQ(r.left, p.x);
            EXPECT_EQ(r.top, p.y);
            // The closed combobox is only as high as its edit part.
            if (p.id != CmbKind) {
                EXPECT_EQ(r.bottom - r.top, p.height);
            }
            EXPECT_EQ(r.right - r.left, p.width);
        }
        // The status bar docks at the bottom of the client area.
        const RECT bar = ClientRectOf(main_, Item(StatusBar));
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(bar.right - bar.left, client.right);
    }
}

TEST_F(MainForm, ButtonsAtClientWidths480And481AndWhenMinimised) {
    OpenMain();
    RECT status;
    ::GetClientRect(Item(StatusBar), &status);
    for (const int width : {480, 481}) {
        SCOPED_TRACE(width);
        ::SendMessageW(main_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, 400));
        EXPECT_EQ(ClientRectOf(main_, Item(BtnRun)).left, 72);
        EXPECT_EQ(ClientRectOf(main_, Item(BtnExit)).left, 312);
    }
    ::ShowWindow(main_, SW_MINIMIZE);
    EXPECT_EQ(ClientRectOf(main_, Item(BtnRun)).left, -48);
    EXPECT_EQ(ClientRectOf(main_, Item(BtnBrowseSource)).left, -56);
    ::ShowWindow(main_, SW_RESTORE);
    RECT client;
    ::GetClientRect(main_, &client);
    EXPECT_EQ(ClientRectOf(main_, Item(BtnBrowseSource)).left, client.right - 56);
}

TEST_F(MainForm, KindSwitchKeepsTheTypedListAndTheThresholdRule) {
    OpenMain();
    const auto select = [&](int index) {
        ::SendMessageW(Item(CmbKind), CB_SETCURSEL, index, 0);
        Command(CmbKind, CBN_SELCHANGE);
    };
    HWND extensions = Item(EdtExtensions);

    ::SendMessageW(Item(RadThresholdAuto), BM_CLICK, 0, 0);
    ASSERT_TRUE(IsChecked(main_, RadThresholdAuto));
    select(1);  // archives
    EXPECT_EQ(TextOf(extensions), "lzh,lha,zip,cab,gz,tar,cpt");
    EXPECT_TRUE(StyleOf(extensions) & ES_READONLY);
    EXPECT_TRUE(IsChecked(main_, RadThresholdNone));
    EXPECT_FALSE(IsChecked(main_, RadThresholdAuto));
    EXPECT_FALSE(::IsWindowEnabled(Item(RadThresholdAuto)));
    EXPECT_FALSE(::IsWindowEnabled(Item(RadThresholdManual)));
    select(0);  // images: enabled again, "none" stays checked
    EXPECT_TRUE(::IsWindowEnabled(Item(RadThresholdAuto)));
    EXPECT_TRUE(::IsWindowEnabled(Item(RadThresholdManual)));
    EXPECT_TRUE(IsChecked(main_, RadThresholdNone));

    select(2);  // custom: empty and editable
    EXPECT_EQ(TextOf(extensions), "");
    EXPECT_FALSE(StyleOf(extensions) & ES_READONLY);
    EXPECT_FALSE(::IsWindowEnabled(Item(RadThresholdAuto)));
    SetTextOf(extensions, "txt,doc");
    select(0);
    EXPECT_EQ(TextOf(extensions), "jpeg,jpg,gif,png,bmp");
    select(2);
    EXPECT_EQ(TextOf(extensions), "txt,doc");

    // A preset typed by hand is not kept: the earlier list comes back.
    SetTextOf(extensions, "lzh,lha,zip,cab,gz,tar,cpt");
    select(0);
    select(2);
    EXPECT_EQ(TextOf(extensions), "txt,doc");
}

TEST_F(MainForm, EveryCommandSetsItsHintFirst) {
    OpenMain();
    const struct {
        int id, code;
        const char16_t* hint;
    } rows[] = {
        {EdtSource, EN_SETFOCUS, text::HintSource},
        // A button's notification: the last row (a click would start a run here).
        {BtnRun, BN_SETFOCUS, text::HintGeneral},
        {EdtDestination, EN_CHANGE, text::HintDestination},
        {EdtExtensions, EN_SETFOCUS, text::HintExtensionsPreset},
        {CmbKind, CBN_SETFOCUS, text::HintGeneral},
        {LblKind, 0, text::HintGeneral},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        Command(row.id, row.code);
        EXPECT_EQ(StatusText(main_), U8(row.hint));
    }
    ::SendMessageW(Item(CmbKind), CB_SETCURSEL, 2, 0);
    Command(CmbKind, CBN_SELCHANGE);
    // The field's own change notification already chose the custom-kind hint.
    EXPECT_EQ(StatusText(main_), U8(text::HintExtensionsCustom));
    Command(BtnBrowseSource, BN_SETFOCUS);  // a click would open the folder dialog
    EXPECT_EQ(StatusText(main_), U8(text::HintGeneral));
    // Text the program sets itself notifies too: the last edit changed sets the hint.
    SetTextOf(Item(EdtSource), "C:\\x");
    EXPECT_EQ(StatusText(main_), U8(text::HintSource));
    Command(EdtExtensions, EN_KILLFOCUS);
    EXPECT_EQ(StatusText(main_), U8(text::HintExtensionsCustom));
}

TEST_F(MainForm, ExitButtonClosesWhenIdleAndOnlyEndsARunOtherwise) {
    OpenMain();
    // A run over an empty folder, whose worker has already gone.
    TempFolder source;
    FormMonitor()->Start({OptionsWord(DuplicateMode::Numbered, ThresholdMode::None), source.Path(),
                          source.Path(), ",jpg,"});
    ASSERT_TRUE(FormMonitor()->WaitForWorkers(std::chrono::seconds(60)));
    Command(BtnExit, BN_CLICKED);
    EXPECT_TRUE(::IsWindow(main_));
    EXPECT_FALSE(FormMonitor()->Tick().running);
    Command(BtnExit, BN_CLICKED);
    EXPECT_FALSE(::IsWindow(main_));
    EXPECT_EQ(DrainQueue(), 0);
    EXPECT_EQ(tessel::MainWindow(), nullptr);
}

TEST_F(MainForm, MenuExitAndCloseDestroyWithoutAsking) {
    for (const bool fromMenu : {true, false}) {
        SCOPED_TRACE(fromMenu);
        OpenMain();
        if (fromMenu) {
            Command(MenuExit, 0);
        } else {
            ::SendMessageW(main_, WM_CLOSE, 0, 0);
        }
        EXPECT_FALSE(::IsWindow(main_));
        EXPECT_EQ(DrainQueue(), 0);  // the loop's WM_QUIT, exit code 0
        EXPECT_EQ(::GetMenu(main_), nullptr);
        EXPECT_TRUE(::IsMenu(MenuBar()));  // detached, not destroyed with the window
    }
}

}  // namespace
}  // namespace tessel::test
