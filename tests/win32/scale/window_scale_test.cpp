// The windows at the screen's density, run once per DPI (96, 144 and 192, each in a Wine
// prefix of its own): the program's manifest makes the process DPI aware, so every window
// must be drawn at the DPI the prefix sets, whole: each control inside its window, each text
// inside its control, a run with the threshold dialog as at 96 DPI. And a window told that
// its DPI changed (Wine has one DPI per session and never says so itself) follows.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/about_dialog_win32.h"
#include "app/control_ids.h"
#include "app/dpi_win32.h"
#include "app/form_layout.h"
#include "app/form_table.h"
#include "app/modal_dialog_win32.h"
#include "app/texts.h"
#include "app/threshold_dialog_win32.h"
#include "base/scale.h"
#include "support/tiny_png.h"
#include "threshold/size_chart.h"
#include "win32/gui_fixture.h"

namespace tessel::test {
namespace {

// The DPI the prefix was given, as tools/wine-run.sh reads it.
int PrefixDpi() {
    const char* asked = std::getenv("TESSEL_WINE_DPI");
    return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : BaseDpi;
}

// Another DPI to move a window to: 144 from 96, 96 from the others. (The window stays on
// this session's screen, which Wine does not let it outgrow: 480 x 520 at 192 DPI is higher
// than the 1024 pixels of the 96-DPI screen.)
int OtherDpi(int dpi) {
    return dpi == BaseDpi ? 144 : BaseDpi;
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

LONG FontHeightOf(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(FontOf(control), sizeof font, &font);
    return font.lfHeight;
}

// How large `text` is drawn in the control's own font.
SIZE ExtentIn(HWND control, const std::string& text) {
    HDC dc = ::GetDC(control);
    HGDIOBJ previous = ::SelectObject(dc, FontOf(control));
    const SIZE extent = TextExtent(dc, text);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return extent;
}

// The child's rectangle in its parent's client coordinates.
RECT RectIn(HWND parent, HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Every child window of `window` lies wholly inside its client area.
void ExpectChildrenInside(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    int children = 0;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        ++children;
        SCOPED_TRACE(::GetDlgCtrlID(child));
        const RECT r = RectIn(window, child);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, client.right) << "client " << client.right << " x " << client.bottom;
        EXPECT_LE(r.bottom, client.bottom) << "client " << client.right << " x " << client.bottom;
    }
    EXPECT_GT(children, 0);
}

// A one-line text fits its control, `taken` pixels of whose width hold something else.
void ExpectTextFits(HWND control, const std::string& text, int taken = 0) {
    SCOPED_TRACE(text);
    RECT client;
    ::GetClientRect(control, &client);
    const SIZE extent = ExtentIn(control, text);
    EXPECT_LE(extent.cx + taken, client.right);
    EXPECT_LE(extent.cy, client.bottom);
}

// A dialog's controls where its table puts them at `dpi`, in the dialog's font of that DPI;
// the About icon is as large as its icon. With `texts`, each caption fits its control too.
void ExpectControlsAt(HWND dialog, std::span<const ControlSpec> controls, int dpi, int fontHeight,
                      bool texts) {
    for (const ControlSpec& c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = ::GetDlgItem(dialog, c.id);
        const RECT r = RectIn(dialog, control);
        const ScaledRect expected = ScaleRect(c.x, c.y, c.width, c.height, dpi);
        EXPECT_EQ(r.left, expected.x);
        EXPECT_EQ(r.top, expected.y);
        if (dialog == aboutDialog && c.id == IcoAboutIcon) continue;
        EXPECT_EQ(r.right - r.left, expected.width);
        EXPECT_EQ(r.bottom - r.top, expected.height);
        EXPECT_EQ(FontHeightOf(control), Scale(fontHeight, dpi));
        // Buttons and the bound's box hold no caption to fit.
        const bool caption = c.id != BtnAboutOk && c.id != EdtThreshold;
        if (texts && caption) ExpectTextFits(control, TextOf(control));
    }
}

// Tells `window` that it is now on a screen of `dpi`, with the size Windows suggests then:
// `width96` x `height96` in 96-DPI units, scaled. The window takes the suggestion.
void ChangeDpi(HWND window, int dpi, int width96, int height96) {
    RECT outer;
    ::GetWindowRect(window, &outer);
    RECT suggested{outer.left, outer.top, outer.left + Scale(width96, dpi),
                   outer.top + Scale(height96, dpi)};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(OuterSize(window).cx, Scale(width96, dpi));
    EXPECT_EQ(OuterSize(window).cy, Scale(height96, dpi));
}

class WindowScale : public MainWindowTest {
protected:
    int S(int length) const { return Scale(length, dpi_); }

    // The form laid out by the table at `dpi`, in the window's fonts of that DPI.
    void ExpectFormAt(int dpi) {
        SCOPED_TRACE(testing::Message() << "form at " << dpi);
        RECT client, status;
        ::GetClientRect(main_, &client);
        ::GetClientRect(Item(StatusBar), &status);
        for (const Placement& p :
             LayoutForm(static_cast<std::uint16_t>(client.right),
                        static_cast<std::uint16_t>(client.bottom), status.bottom, dpi)) {
            SCOPED_TRACE(p.id);
            const RECT r = RectIn(main_, Item(p.id));
            EXPECT_EQ(r.left, p.x);
            EXPECT_EQ(r.top, p.y);
            EXPECT_EQ(r.right - r.left, p.width);
            // The closed combobox is only as high as its edit part.
            if (p.id != CmbKind) {
                EXPECT_EQ(r.bottom - r.top, p.height);
            }
            EXPECT_EQ(FontHeightOf(Item(p.id)), Scale(FormFontHeight, dpi));
        }
        const RECT bar = RectIn(main_, Item(StatusBar));
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(bar.right - bar.left, client.right);
    }

    // Captions, and the hint, inside their controls; a radio's check mark and its gap take
    // the left of the control, a frame's caption starts inside its corner.
    void ExpectFormTextsFit(int dpi) {
        SCOPED_TRACE(testing::Message() << "texts at " << dpi);
        for (const int id : {LblSource, LblDestination, LblKind, BtnBrowseSource,
                             BtnBrowseDestination, BtnRun, BtnExit}) {
            ExpectTextFits(Item(id), TextOf(Item(id)));
        }
        const int mark = SystemMetricAt(SM_CXMENUCHECK, dpi) + Scale(4, dpi);
        for (const int id : {RadSequential, RadOverwrite, RadSeparateFolder, RadThresholdNone,
                             RadThresholdAuto, RadThresholdManual}) {
            ExpectTextFits(Item(id), TextOf(Item(id)), mark);
        }
        for (const int id : {GrpDuplicates, GrpThreshold}) {
            ExpectTextFits(Item(id), TextOf(Item(id)), Scale(16, dpi));
        }
        ExpectTextFits(Item(StatusBar), StatusText(main_));
    }

    const int dpi_ = PrefixDpi();
};

TEST_F(WindowScale, TheMainWindowIsDrawnWholeAtTheScreensDpi) {
    ASSERT_EQ(WindowDpi(main_), dpi_) << "the process is not DPI aware: no manifest?";
    // No settings file: 480 x 520 in 96-DPI units.
    EXPECT_EQ(OuterSize(main_).cx, S(480));
    EXPECT_EQ(OuterSize(main_).cy, S(520));
    ExpectFormAt(dpi_);
    ExpectChildrenInside(main_);
    ExpectFormTextsFit(dpi_);
    // The log's scroll bars are the system's at this DPI, inside the log.
    const RECT log = RectIn(main_, Item(EdtLog));
    EXPECT_LT(SystemMetricAt(SM_CXVSCROLL, dpi_) * 2, log.right - log.left);
}

TEST_F(WindowScale, TheAboutDialogIsDrawnWholeAtTheScreensDpi) {
    bool checked = false;
    Soon([&] {
        HWND about = aboutDialog;
        ASSERT_NE(about, nullptr);
        checked = true;
        EXPECT_EQ(WindowDpi(about), dpi_);
        EXPECT_EQ(OuterSize(about).cx, S(361));
        EXPECT_EQ(OuterSize(about).cy, S(231));
        ExpectChildrenInside(about);
        const int iconSize = ::GetSystemMetrics(SM_CXICON);
        EXPECT_EQ(iconSize, S(32));
        ExpectControlsAt(about, AboutControls(), dpi_, AboutFontHeight, true);
        const RECT icon = RectIn(about, ::GetDlgItem(about, IcoAboutIcon));
        EXPECT_EQ(icon.right - icon.left, iconSize);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(
            reinterpret_cast<HICON>(::SendDlgItemMessageW(about, IcoAboutIcon, STM_GETICON, 0, 0)),
            &info));
        BITMAP mask{};
        ::GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, iconSize);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::SendMessageW(about, WM_COMMAND, MAKEWPARAM(BtnAboutOk, BN_CLICKED), 0);
    });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 1);
    EXPECT_TRUE(checked);
}

TEST_F(WindowScale, ARunAsksForItsBoundOverTheScaledChart) {
    TempFolder root;
    const std::string source = root / "source";
    const std::string destination = root / "destination";
    WriteBytes(source + "\\a.png", TinyPng(30, 30));
    WriteBytes(source + "\\b.png", TinyPng(40, 40));
    WriteBytes(source + "\\c.png", TinyPng(50, 50));
    MakeFolders(destination);
    SetTextOf(Item(EdtSource), source);
    SetTextOf(Item(EdtDestination), destination);
    ::SendMessageW(Item(RadThresholdManual), BM_CLICK, 0, 0);

    bool asked = false;
    Soon([&] {
        HWND dialog = thresholdDialog;
        ASSERT_NE(dialog, nullptr) << "no threshold dialog";
        asked = true;
        EXPECT_EQ(WindowDpi(dialog), dpi_);
        EXPECT_EQ(OuterSize(dialog).cx, S(480));
        EXPECT_EQ(OuterSize(dialog).cy, S(360));
        ExpectChildrenInside(dialog);
        RECT client;
        ::GetClientRect(dialog, &client);
        const ChartRect chart = ChartAreaAt(dpi_);
        EXPECT_LE(chart.right, client.right);
        EXPECT_LE(chart.bottom, client.bottom);
        ExpectControlsAt(dialog, ThresholdControls(), dpi_, ThresholdFontHeight, true);
        // The largest readout there is, at the last point inside of the largest sizes.
        const auto widest = PointerToSide(chart.left + S(344) - 1, S(100), 65535, dpi_);
        ASSERT_TRUE(widest.has_value());
        ExpectTextFits(::GetDlgItem(dialog, LblPositionValue), std::to_string(*widest));

        BITMAP bitmap{};
        ::GetObjectW(::GetCurrentObject(ThresholdChartSurface(), OBJ_BITMAP), sizeof bitmap,
                     &bitmap);
        EXPECT_EQ(bitmap.bmWidth, S(360));
        EXPECT_EQ(bitmap.bmHeight, S(240));

        // The pointer half way along the bars reads half of the largest side, 50.
        const int x = S(204);
        const int y = S(100);
        ::SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        EXPECT_EQ(TextOf(::GetDlgItem(dialog, LblPositionValue)), "25");
        ::UpdateWindow(dialog);
        HDC dc = ::GetDC(dialog);
        const int line = ChartGeometryAt(dpi_).lineWidth;
        EXPECT_EQ(::GetPixel(dc, x, y), RGB(255, 0, 0));
        EXPECT_EQ(::GetPixel(dc, x + line - 1, chart.bottom - 1), RGB(255, 0, 0));
        EXPECT_NE(::GetPixel(dc, x + line, y), RGB(255, 0, 0));
        EXPECT_NE(::GetPixel(dc, x - 1, y), RGB(255, 0, 0));
        ::ReleaseDC(dialog, dc);
        ::SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        EXPECT_EQ(TextOf(::GetDlgItem(dialog, EdtThreshold)), "25");

        SetTextOf(::GetDlgItem(dialog, EdtThreshold), "35");
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(BtnSetThreshold, BN_CLICKED), 0);
    });
    Command(BtnRun, BN_CLICKED);
    ASSERT_TRUE(TickUntilLogHas("抽出を終了しました。")) << TextOf(Item(EdtLog));
    EXPECT_TRUE(asked);
    const std::string log = TextOf(Item(EdtLog));
    EXPECT_NE(log.find("手動設定[ 35x35 Pixel ]"), std::string::npos) << log;
    EXPECT_NE(log.find("実際に保存されたファイル数：2個"), std::string::npos) << log;
    EXPECT_EQ(FilesUnder(destination), (std::vector<std::string>{"b.png", "c.png"}));
}

TEST_F(WindowScale, TheMainWindowFollowsANewDpiAndKeepsItsSizeIn96DpiUnits) {
    const int other = OtherDpi(dpi_);
    ChangeDpi(main_, other, 480, 520);
    ExpectFormAt(other);
    ExpectFormTextsFit(other);
    EXPECT_EQ(FontOf(Item(StatusBar)), StatusFont(other));
    // Resized there, then back on a screen of the prefix's DPI.
    ::SetWindowPos(main_, nullptr, 0, 0, Scale(700, other), Scale(600, other),
                   SWP_NOMOVE | SWP_NOZORDER);
    ExpectFormAt(other);
    ChangeDpi(main_, dpi_, 700, 600);
    ExpectFormAt(dpi_);
    ExpectChildrenInside(main_);
    EXPECT_EQ(FontOf(Item(StatusBar)), StatusFont(dpi_));

    // Saved on another screen and opened on this one, the window is as large.
    ChangeDpi(main_, other, 700, 600);
    CloseMain();
    EXPECT_EQ(::GetPrivateProfileIntA("Tessel-WH-Size", "Width", -1, SettingsFile().c_str()), 700u);
    EXPECT_EQ(::GetPrivateProfileIntA("Tessel-WH-Size", "Height", -1, SettingsFile().c_str()),
              600u);
    OpenMain();
    EXPECT_EQ(OuterSize(main_).cx, S(700));
    EXPECT_EQ(OuterSize(main_).cy, S(600));
    ExpectFormAt(dpi_);
}

TEST_F(WindowScale, OpenDialogsFollowANewDpi) {
    const int other = OtherDpi(dpi_);
    bool about = false;
    Soon([&] {
        about = true;
        ChangeDpi(aboutDialog, other, 361, 231);
        ExpectControlsAt(aboutDialog, AboutControls(), other, AboutFontHeight, false);
        const RECT icon = RectIn(aboutDialog, ::GetDlgItem(aboutDialog, IcoAboutIcon));
        EXPECT_EQ(icon.right - icon.left, SystemMetricAt(SM_CXICON, other));
        ::SendMessageW(aboutDialog, WM_COMMAND, MAKEWPARAM(BtnAboutOk, BN_CLICKED), 0);
    });
    EXPECT_EQ(ModalDialogRunner(main_, AboutDialogId), 1);
    EXPECT_TRUE(about);

    BoundQuestion question;
    question.maxSide = 720;
    question.proposal = 677;
    question.histogram.assign(721, 0);
    question.histogram[360] = 3;
    bool threshold = false;
    Soon([&] {
        threshold = true;
        HWND dialog = thresholdDialog;
        ChangeDpi(dialog, other, 480, 360);
        ExpectControlsAt(dialog, ThresholdControls(), other, ThresholdFontHeight, false);
        BITMAP bitmap{};
        ::GetObjectW(::GetCurrentObject(ThresholdChartSurface(), OBJ_BITMAP), sizeof bitmap,
                     &bitmap);
        EXPECT_EQ(bitmap.bmWidth, Scale(360, other));
        EXPECT_EQ(bitmap.bmHeight, Scale(240, other));
        // The pointer is read in the new lengths: the same place reads the same size.
        const int x = Scale(204, other);
        const int y = Scale(100, other);
        ::SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        EXPECT_EQ(TextOf(::GetDlgItem(dialog, LblPositionValue)), "360");
        ::UpdateWindow(dialog);
        HDC dc = ::GetDC(dialog);
        EXPECT_EQ(::GetPixel(dc, x, y), RGB(255, 0, 0));
        ::ReleaseDC(dialog, dc);
        ::SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(BtnSetThreshold, BN_CLICKED), 0);
    });
    EXPECT_EQ(AskThresholdDialog(main_, question), 360);
    EXPECT_TRUE(threshold);
}

}  // namespace
}  // namespace tessel::test
