// What the shell creates before any window: the shared fonts and the two window classes.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/dpi_win32.h"
#include "app/form_table.h"
#include "app/main_window_win32.h"
#include "app/modal_dialog_win32.h"
#include "app/texts.h"
#include "gui_fixture.h"

namespace tessel::test {
namespace {

using ShellStart = GuiTest;

TEST_F(ShellStart, FontsAreTheAskedShiftJisFaces) {
    const struct {
        const char* name;
        HFONT font;
        LONG height;
        BYTE pitchAndFamily;
    } fonts[] = {
        {"form", FormFont(SystemDpi()), -12, FF_SWISS | DEFAULT_PITCH},
        {"about", AboutFont(SystemDpi()), -19, FF_MODERN | VARIABLE_PITCH},
        {"threshold", ThresholdFont(SystemDpi()), -16, FF_MODERN | VARIABLE_PITCH},
    };
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.name);
        LOGFONTW logFont{};
        ASSERT_EQ(::GetObjectW(f.font, sizeof logFont, &logFont), int{sizeof logFont});
        EXPECT_EQ(logFont.lfHeight, f.height);
        EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
        EXPECT_EQ(logFont.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(logFont.lfOutPrecision, OUT_STROKE_PRECIS);
        EXPECT_EQ(logFont.lfClipPrecision, CLIP_STROKE_PRECIS);
        EXPECT_EQ(logFont.lfQuality, DRAFT_QUALITY);
        EXPECT_EQ(logFont.lfPitchAndFamily, f.pitchAndFamily);
        EXPECT_EQ(Utf8Of(logFont.lfFaceName), U8(text::FontFace));
    }
}

TEST_F(ShellStart, ClassesShareTheBackgroundAndOnlyTheMainOneHasTheProgramIcon) {
    // The wide query: the classes are Unicode, and the narrow one may hand back a thunk for
    // the procedure instead of the procedure.
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof dialog;
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"NORMALDLG", &dialog));
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"NORMAL0", &main));
    for (const WNDCLASSEXW* c : {&dialog, &main}) {
        EXPECT_EQ(c->style, UINT{CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS});
        EXPECT_EQ(c->hbrBackground, BackgroundBrush());
        EXPECT_EQ(c->cbClsExtra, 0);
        EXPECT_EQ(c->cbWndExtra, 0);
    }
    EXPECT_EQ(main.lpfnWndProc, MainWindowProcedure);
    EXPECT_EQ(dialog.hIcon, ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));  // IDI_APPLICATION
    EXPECT_EQ(main.hIcon, ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101)));
    EXPECT_NE(main.hIcon, nullptr);
    LOGBRUSH brush{};
    ::GetObjectA(BackgroundBrush(), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(ShellStart, EveryDialogHasItsProcedureFromTheStart) {
    // A dialog left without one would open nothing, and the threshold step would read that
    // as the answer "no bound".
    for (const char* identifier : {AboutDialogId, ThresholdDialogId}) {
        SCOPED_TRACE(identifier);
        const DialogRegistration registered = RegisterDialogProcedure(identifier, {});
        RegisterDialogProcedure(identifier, registered);
        EXPECT_NE(registered.procedure, nullptr);
        EXPECT_NE(registered.handle, nullptr);
    }
}

TEST_F(ShellStart, EndingUnregistersTheClassesForTheNextOne) {
    shell_.reset();
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(::GetClassInfoExA(::GetModuleHandleA(nullptr), "NORMAL0", &info));
    StartShell();
    EXPECT_TRUE(::GetClassInfoExA(::GetModuleHandleA(nullptr), "NORMAL0", &info));
    EXPECT_NE(OpenMain(), nullptr);
}

}  // namespace
}  // namespace tessel::test
