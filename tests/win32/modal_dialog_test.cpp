// The About dialog and the modal runner: results, the owner's state, nesting, WM_QUIT.
// Dialogs block in their own loop, so each test acts from thread timers that fire inside
// that loop; every timer is one-shot and killed first, or it would fire again inside a
// loop that its own callback starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/about_dialog_win32.h"
#include "app/control_ids.h"
#include "app/dpi_win32.h"
#include "app/form_table.h"
#include "app/modal_dialog_win32.h"
#include "app/texts.h"
#include "base/debug_output.h"
#include "gui_fixture.h"

namespace tessel::test {
namespace {

void ClickOk(HWND dialog) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(BtnAboutOk, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, BtnAboutOk)));
}

class ModalDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Tests that install a stand-in put the program's own procedure back afterwards.
        thresholdRegistration_ = RegisterDialogProcedure(ThresholdDialogId, {});
        RegisterDialogProcedure(ThresholdDialogId, thresholdRegistration_);
    }
    void TearDown() override {
        RegisterDialogProcedure(ThresholdDialogId, thresholdRegistration_);
        MainWindowTest::TearDown();
    }

    DialogRegistration thresholdRegistration_;
};

TEST_F(ModalDialog, AboutShowsIconNameVersionHomePageAndAuthor) {
    bool checked = false;
    Soon([&] {
        HWND about = aboutDialog;
        ASSERT_NE(about, nullptr);
        checked = true;
        ExpectModalOverMain(about, text::AboutTitle, {361, 231});
        wchar_t className[32] = {};
        ::GetClassNameW(about, className, 32);
        EXPECT_STREQ(className, L"NORMALDLG");
        // Shown, with the WS_CLIPSIBLINGS that every top-level window gets.
        EXPECT_EQ(static_cast<DWORD>(StyleOf(about)) & 0xFFFF0000u, 0x14C80000u);

        for (const ControlSpec& c : AboutControls()) {
            SCOPED_TRACE(c.id);
            HWND control = ::GetDlgItem(about, c.id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(TextOf(control), U8(c.caption));
            if (c.id != IcoAboutIcon) {  // an icon static keeps no font
                EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)),
                          AboutFont(WindowDpi(about)));
            }
            EXPECT_EQ(static_cast<DWORD>(StyleOf(control)) & 0xFFFF0FFFu, c.style);
        }
        EXPECT_EQ(TextOf(::GetDlgItem(about, LblAboutName)), "てっせる！");
        EXPECT_EQ(TextOf(::GetDlgItem(about, LblAboutVersion)), "Version 2.32");
        EXPECT_EQ(TextOf(::GetDlgItem(about, EdtAboutHomePage)), "http://tessel.invalid/");

        // Each text fits its control on one line: a static wraps what is too wide onto a
        // line its height hides (the author's name once lost "開発チーム" that way).
        for (const int id : {LblAboutName, LblAboutVersion, EdtAboutHomePage, LblAboutAuthor}) {
            SCOPED_TRACE(id);
            HWND control = ::GetDlgItem(about, id);
            const std::string shown = TextOf(control);
            HDC dc = ::GetDC(control);
            HGDIOBJ previous = ::SelectObject(dc, AboutFont(WindowDpi(about)));
            const SIZE extent = TextExtent(dc, shown);
            ::SelectObject(dc, previous);
            ::ReleaseDC(control, dc);
            RECT client{};
            ::GetClientRect(control, &client);
            EXPECT_LE(extent.cx, client.right) << shown;
            EXPECT_LE(extent.cy, client.bottom) << shown;
        }

        // Icon 101 at the system's default icon size.
        const auto icon = reinterpret_cast<HICON>(
            ::SendMessageW(::GetDlgItem(about, IcoAboutIcon), STM_GETICON, 0, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP mask{};
        ::GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, ::GetSystemMetrics(SM_CXICON));
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ClickOk(about);
    });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 1);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(::IsWindowEnabled(main_));
    EXPECT_EQ(aboutDialog, nullptr);
}

TEST_F(ModalDialog, OkGivesOneAndTheTitleBarCloseZero) {
    const struct {
        const char* name;
        std::function<void(HWND)> end;
        int result;
    } cases[] = {
        {"OK", ClickOk, 1},
        {"WM_CLOSE", [](HWND d) { ::SendMessageW(d, WM_CLOSE, 0, 0); }, 0},
        {"Alt+F4", [](HWND d) { ::SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Soon([&] { c.end(aboutDialog); });
        EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), c.result);
        EXPECT_TRUE(::IsWindowEnabled(main_));
        EXPECT_EQ(::GetActiveWindow(), main_);
    }
}

TEST_F(ModalDialog, OtherCommandsLeaveAboutOpen) {
    bool stillOpen = false;
    Soon([&] {
        HWND about = aboutDialog;
        for (const WPARAM command : {WPARAM{IDOK}, WPARAM{IDCANCEL},
                                     MAKEWPARAM(BtnAboutOk, BN_SETFOCUS), WPARAM{LblAboutName}}) {
            ::SendMessageW(about, WM_COMMAND, command, 0);
        }
        // Enter and Escape go through the dialog keyboard handling of the loop.
        for (const WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_RETURN}}) {
            ::PostMessageW(::GetDlgItem(about, EdtAboutHomePage), WM_KEYDOWN, key, 0);
        }
        Soon([&, about] {
            stillOpen = ::IsWindow(about) != FALSE;
            ClickOk(about);
        });
    });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 1);
    EXPECT_TRUE(stillOpen);
}

TEST_F(ModalDialog, MenuCommandOpensAbout) {
    bool opened = false;
    Soon([&] {
        opened = aboutDialog != nullptr;
        ClickOk(aboutDialog);
    });
    Command(MenuAbout, 0);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(::IsWindowEnabled(main_));
    EXPECT_TRUE(::IsWindow(main_));
}

std::vector<std::string> debugLines;
void CaptureDebugLine(const char* line) {
    debugLines.emplace_back(line);
}

TEST_F(ModalDialog, UnknownOrAlreadyOpenDialogsCreateNothing) {
    EXPECT_EQ(ModalDialogRunner(main_, "DigSomethingElse"), 0);
    EXPECT_EQ(ModalDialogRunner(main_, "digversioninfo"), 0);
    // A dialog without a procedure is a fault: nothing is created, and a debugger line says
    // which dialog it was.
    RegisterDialogProcedure(ThresholdDialogId, {});
    const DebugOutputHook previous = SetDebugOutputHook(&CaptureDebugLine);
    EXPECT_EQ(ModalDialogRunner(main_, ThresholdDialogId), 0);
    SetDebugOutputHook(previous);
    RegisterDialogProcedure(ThresholdDialogId, thresholdRegistration_);
    EXPECT_EQ(debugLines,
              std::vector<std::string>{"ModalDialogRunner: DigGetThreshold has no procedure"});
    EXPECT_TRUE(::IsWindowEnabled(main_));
    EXPECT_EQ(::FindWindowW(L"NORMALDLG", nullptr), nullptr);

    int second = -1;
    Soon([&] {
        HWND first = aboutDialog;
        second = ModalDialogRunner(main_, AboutDialogId);
        EXPECT_EQ(aboutDialog, first);
        ClickOk(first);
    });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 1);
    EXPECT_EQ(second, 0);
}

// A stand-in for the threshold dialog: closes on WM_CLOSE with 0.
HWND thresholdDialog = nullptr;
LRESULT CALLBACK ThresholdStandIn(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        CloseModalDialog(dialog, 0);
        return 0;
    }
    return ::DefWindowProcW(dialog, message, wParam, lParam);
}

TEST_F(ModalDialog, NestedResultsReachTheirOwnCallersWhicheverClosesFirst) {
    RegisterDialogProcedure(ThresholdDialogId, {ThresholdStandIn, &thresholdDialog});
    for (const bool outerFirst : {true, false}) {
        SCOPED_TRACE(outerFirst);
        int inner = -1;
        bool mainHeldWhileInnerRuns = false;
        Soon([&] {
            Soon([&] {
                ASSERT_NE(thresholdDialog, nullptr);
                EXPECT_EQ(TextOf(thresholdDialog), U8(text::ThresholdTitle));
                EXPECT_EQ(OuterSize(thresholdDialog).cx, 480);
                EXPECT_EQ(OuterSize(thresholdDialog).cy, 360);
                EXPECT_TRUE(::IsWindowEnabled(aboutDialog));  // only the owner is disabled
                if (outerFirst) {
                    CloseModalDialog(aboutDialog, 1);
                    mainHeldWhileInnerRuns = !::IsWindowEnabled(main_);
                    CloseModalDialog(thresholdDialog, 42);
                } else {
                    CloseModalDialog(thresholdDialog, 42);
                    mainHeldWhileInnerRuns = !::IsWindowEnabled(main_);
                }
            });
            inner = ModalDialogRunner(main_, ThresholdDialogId);
            if (!outerFirst) CloseModalDialog(aboutDialog, 1);
        });
        EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 1);
        EXPECT_EQ(inner, 42);
        EXPECT_TRUE(mainHeldWhileInnerRuns);
        EXPECT_TRUE(::IsWindowEnabled(main_));
        EXPECT_EQ(thresholdDialog, nullptr);
        EXPECT_EQ(aboutDialog, nullptr);
        EXPECT_EQ(DrainQueue(), std::nullopt);  // no stray WM_QUIT for the main loop
    }
}

TEST_F(ModalDialog, RealQuitClosesEveryDialogAndReachesTheMainLoop) {
    RegisterDialogProcedure(ThresholdDialogId, {ThresholdStandIn, &thresholdDialog});
    int inner = -1;
    Soon([&] {
        Soon([] { ::PostQuitMessage(5); });
        inner = ModalDialogRunner(main_, ThresholdDialogId);
    });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 0);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(aboutDialog, nullptr);
    EXPECT_EQ(thresholdDialog, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(main_));
    EXPECT_EQ(DrainQueue(), 5);  // passed on, for the main loop to end the program
}

TEST_F(ModalDialog, OwnerDestroyedUnderAnOpenDialogEndsItsLoop) {
    Soon([&] { ::SendMessageW(main_, WM_CLOSE, 0, 0); });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 0);
    EXPECT_FALSE(::IsWindow(main_));
    EXPECT_EQ(aboutDialog, nullptr);
    EXPECT_EQ(DrainQueue(), 0);
}

}  // namespace
}  // namespace tessel::test
