// The threshold dialog over the real main window: what it shows, how the pointer reads and
// picks a size, what each way out returns, the chart's pixels, and that a hundred openings
// leave no GDI object behind. The dialog blocks in its runner's loop, so each test acts from
// one-shot thread timers that fire inside that loop.
#include "app/threshold_dialog_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/control_ids.h"
#include "app/dpi_win32.h"
#include "app/form_table.h"
#include "app/modal_dialog_win32.h"
#include "app/texts.h"
#include "gui_fixture.h"

namespace tessel::test {
namespace {

BoundQuestion Question(std::int32_t maxSide, std::int32_t proposal,
                       std::initializer_list<std::pair<std::int32_t, std::int32_t>> counts = {}) {
    BoundQuestion q;
    q.maxSide = maxSide;
    q.proposal = proposal;
    q.histogram.assign(static_cast<std::size_t>(maxSide) + 1, 0);
    for (const auto& [side, count] : counts) q.histogram[static_cast<std::size_t>(side)] = count;
    return q;
}

HWND Control(int id) {
    return ::GetDlgItem(thresholdDialog, id);
}

void Click(int id) {
    ::SendMessageW(thresholdDialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(id)));
}

void MouseMove(int x, int y) {
    ::SendMessageW(thresholdDialog, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void MouseDown(int x, int y) {
    ::SendMessageW(thresholdDialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

// A pixel of the dialog's client area as the screen shows it, after any pending paint.
COLORREF ClientPixel(int x, int y) {
    ::UpdateWindow(thresholdDialog);
    HDC dc = ::GetDC(thresholdDialog);
    const COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(thresholdDialog, dc);
    return color;
}

COLORREF ChartPixel(int x, int y) {
    return ::GetPixel(ThresholdChartSurface(), x, y);
}

constexpr COLORREF Green = RGB(0, 255, 0);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);

// The GDI objects this process holds. Wine's GetGuiResources is a stub that answers 0; there
// each 16-bit handle number is asked for its type instead, which Wine answers for a handle
// without its upper half whatever the generation of the object in that slot.
DWORD GdiObjectCount() {
    if (const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    DWORD live = 0;
    for (UINT_PTR handle = 1; handle <= 0xFFFF; ++handle) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0) ++live;
    }
    return live;
}

using ThresholdDialog = MainWindowTest;

TEST_F(ThresholdDialog, OpensOverTheMainWindowWithTheProposal) {
    for (const std::int32_t proposal : {677, 0}) {
        SCOPED_TRACE(proposal);
        bool checked = false;
        Soon([&] {
            ASSERT_NE(thresholdDialog, nullptr);
            checked = true;
            ExpectModalOverMain(thresholdDialog, text::ThresholdTitle, {480, 360});
            for (const ControlSpec& c : ThresholdControls()) {
                SCOPED_TRACE(c.id);
                HWND control = Control(c.id);
                ASSERT_NE(control, nullptr);
                if (c.id != EdtThreshold) {
                    EXPECT_EQ(TextOf(control), U8(c.caption));
                }
                EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)),
                          ThresholdFont(WindowDpi(thresholdDialog)));
                EXPECT_EQ(static_cast<DWORD>(StyleOf(control)) & 0xFFFF3FFFu, c.style);
                EXPECT_EQ(static_cast<DWORD>(StyleOf(control)) & WS_TABSTOP, 0u);
                RECT r{};
                ::GetWindowRect(control, &r);
                ::MapWindowPoints(nullptr, thresholdDialog, reinterpret_cast<POINT*>(&r), 2);
                EXPECT_EQ(r.left, c.x);
                EXPECT_EQ(r.top, c.y);
                EXPECT_EQ(r.right - r.left, c.width);
                EXPECT_EQ(r.bottom - r.top, c.height);
            }
            EXPECT_EQ(TextOf(Control(EdtThreshold)), std::to_string(proposal));
            EXPECT_EQ(TextOf(Control(LblPositionValue)), "0");
            EXPECT_EQ(::GetWindowLongW(Control(EdtThreshold), GWL_EXSTYLE) & WS_EX_CLIENTEDGE,
                      WS_EX_CLIENTEDGE);
            EXPECT_EQ(StyleOf(Control(EdtThreshold)) & (ES_NUMBER | ES_AUTOHSCROLL), ES_NUMBER);
            // The texts, read back with the wide call.
            EXPECT_EQ(TextOf(Control(LblThresholdPrompt)), "閾値は？");
            EXPECT_EQ(TextOf(Control(BtnSetThreshold)), "設定する");
            EXPECT_EQ(TextOf(Control(BtnCancelThreshold)), "キャンセル");
            EXPECT_EQ(TextOf(Control(LblPositionCaption)), "現在の位置");
            EXPECT_EQ(TextOf(Control(LblPositionUnit)), "Pixelあたり（※誤差あります）");
            Click(BtnCancelThreshold);
        });
        EXPECT_EQ(AskThresholdDialog(main_, Question(1000, proposal, {{32, 10}, {1000, 20}})), 0);
        EXPECT_TRUE(checked);
        EXPECT_EQ(thresholdDialog, nullptr);
        EXPECT_TRUE(::IsWindowEnabled(main_));
    }
}

TEST_F(ThresholdDialog, EveryLabelFitsOnOneLine) {
    // A static wraps what is too wide onto a line that its height hides.
    bool checked = false;
    Soon([&] {
        checked = true;
        const struct {
            int id;
            std::string widest;
        } labels[] = {
            {LblThresholdPrompt, U8(text::ThresholdPrompt)},
            {LblPixelUnit, U8(text::ThresholdPixelUnit)},
            {LblPositionValue, "59527"},  // the largest readout: 327 / 360 of 65535
            {LblPositionUnit, U8(text::ThresholdPositionUnit)},
            {LblPositionCaption, U8(text::ThresholdPositionCaption)},
        };
        for (const auto& l : labels) {
            SCOPED_TRACE(l.id);
            HWND control = Control(l.id);
            HDC dc = ::GetDC(control);
            HGDIOBJ previous = ::SelectObject(dc, ThresholdFont(WindowDpi(thresholdDialog)));
            const SIZE extent = TextExtent(dc, l.widest);
            ::SelectObject(dc, previous);
            ::ReleaseDC(control, dc);
            RECT client{};
            ::GetClientRect(control, &client);
            EXPECT_LE(extent.cx, client.right) << l.widest;
            EXPECT_LE(extent.cy, client.bottom) << l.widest;
        }
        Click(BtnCancelThreshold);
    });
    AskThresholdDialog(main_, Question(720, 677));
    EXPECT_TRUE(checked);
}

TEST_F(ThresholdDialog, EachWayOutGivesItsBound) {
    const struct {
        const char* what;
        const char* box;
        std::function<void()> end;
        std::int32_t bound;
    } cases[] = {
        {"set 150", "150", [] { Click(BtnSetThreshold); }, 150},
        {"set empty", "", [] { Click(BtnSetThreshold); }, 0},
        // The box takes only digits from the keyboard, but anything from the clipboard.
        {"set pasted text", "  42abc", [] { Click(BtnSetThreshold); }, 42},
        {"set too large", "99999999999", [] { Click(BtnSetThreshold); }, 2147483647},
        {"cancel", "150", [] { Click(BtnCancelThreshold); }, 0},
        {"close box", "150", [] { ::SendMessageW(thresholdDialog, WM_CLOSE, 0, 0); }, 0},
        {"Alt+F4", "150", [] { ::SendMessageW(thresholdDialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Soon([&] {
            SetTextOf(Control(EdtThreshold), c.box);
            c.end();
        });
        EXPECT_EQ(AskThresholdDialog(main_, Question(720, 677)), c.bound);
        EXPECT_TRUE(::IsWindowEnabled(main_));
        EXPECT_EQ(::GetActiveWindow(), main_);
        EXPECT_EQ(DrainQueue(), std::nullopt);
    }
}

TEST_F(ThresholdDialog, EnterEscapeAndOtherCommandsCloseNothing) {
    bool stillOpen = false;
    Soon([&] {
        HWND dialog = thresholdDialog;
        for (const WPARAM command :
             {WPARAM{IDOK}, WPARAM{IDCANCEL}, MAKEWPARAM(BtnSetThreshold, BN_SETFOCUS),
              MAKEWPARAM(BtnCancelThreshold, BN_DOUBLECLICKED), WPARAM{LblPositionValue}}) {
            ::SendMessageW(dialog, WM_COMMAND, command, 0);
        }
        // Enter and Escape go through the keyboard handling of the runner's loop.
        ::SetFocus(Control(EdtThreshold));
        for (const WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
            ::PostMessageW(Control(EdtThreshold), WM_KEYDOWN, key, 0);
            ::PostMessageW(Control(EdtThreshold), WM_KEYUP, key, 0);
        }
        Soon([&, dialog] {
            stillOpen = ::IsWindow(dialog) != FALSE;
            Click(BtnSetThreshold);
        });
    });
    EXPECT_EQ(AskThresholdDialog(main_, Question(720, 677)), 677);
    EXPECT_TRUE(stillOpen);
}

TEST_F(ThresholdDialog, PointerReadsTheSizeAndAClickPicksIt) {
    bool checked = false;
    Soon([&] {
        checked = true;
        MouseMove(204, 100);  // (204 - 24) / 360 * 720
        EXPECT_EQ(TextOf(Control(LblPositionValue)), "360");
        EXPECT_EQ(TextOf(Control(EdtThreshold)), "677");  // moving picks nothing
        // The red line runs down the whole chart at the pointer's x, and only there.
        EXPECT_EQ(ClientPixel(204, 8), Red);
        EXPECT_EQ(ClientPixel(204, 100), Red);
        EXPECT_EQ(ClientPixel(204, 247), Red);
        EXPECT_NE(ClientPixel(204, 248), Red);
        EXPECT_NE(ClientPixel(203, 100), Red);
        EXPECT_NE(ClientPixel(205, 100), Red);

        MouseDown(204, 100);
        EXPECT_EQ(TextOf(Control(EdtThreshold)), "360");
        EXPECT_TRUE(::IsWindow(thresholdDialog));  // a click does not close

        MouseMove(25, 9);  // the first point inside
        EXPECT_EQ(TextOf(Control(LblPositionValue)), "2");
        EXPECT_EQ(ClientPixel(25, 100), Red);
        EXPECT_NE(ClientPixel(204, 100), Red);

        // Every edge is outside: the line goes, the readout and the box keep their values.
        for (const POINT p : {POINT{24, 100}, POINT{352, 100}, POINT{204, 8}, POINT{204, 248}}) {
            SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
            MouseMove(204, 100);
            EXPECT_EQ(ClientPixel(204, 100), Red);
            MouseMove(p.x, p.y);
            EXPECT_EQ(TextOf(Control(LblPositionValue)), "360");
            EXPECT_NE(ClientPixel(204, 100), Red);
            MouseDown(p.x, p.y);
            EXPECT_EQ(TextOf(Control(EdtThreshold)), "360");
        }
        Click(BtnSetThreshold);
    });
    EXPECT_EQ(AskThresholdDialog(main_, Question(720, 677, {{360, 3}, {700, 1}})), 360);
    EXPECT_TRUE(checked);
}

TEST_F(ThresholdDialog, ChartShowsTheBarsFrameAndLabelsOnWhite) {
    // maxSide 328: class s is the one pixel column x = 16 + s of the bitmap; 4 files reach
    // the top (y = 16), 2 half way (y = 120).
    bool checked = false;
    Soon([&] {
        ASSERT_NE(ThresholdChartSurface(), nullptr);
        checked = true;
        BITMAP bitmap{};
        ::GetObjectA(::GetCurrentObject(ThresholdChartSurface(), OBJ_BITMAP), sizeof bitmap,
                     &bitmap);
        EXPECT_EQ(bitmap.bmWidth, 360);
        EXPECT_EQ(bitmap.bmHeight, 240);

        for (int y = 17; y <= 222; ++y) {
            SCOPED_TRACE(y);
            EXPECT_EQ(ChartPixel(116, y), Green);                    // 4 files
            EXPECT_EQ(ChartPixel(66, y), y >= 120 ? Green : White);  // 2 files
            EXPECT_EQ(ChartPixel(216, y), White);                    // an empty class
            EXPECT_EQ(ChartPixel(115, y), White);
            EXPECT_EQ(ChartPixel(117, y), White);
        }
        // The frame in black, with the bars under it; the bar of maxSide lies on its right side.
        for (const POINT p :
             {POINT{16, 100}, POINT{344, 100}, POINT{100, 16}, POINT{100, 223}, POINT{116, 223}}) {
            SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
            EXPECT_EQ(ChartPixel(p.x, p.y), Black);
        }
        // White around it, where no label is.
        for (const POINT p : {POINT{345, 100}, POINT{355, 10}, POINT{200, 8}, POINT{200, 232},
                              POINT{10, 200}, POINT{250, 239}}) {
            SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
            EXPECT_EQ(ChartPixel(p.x, p.y), White);
        }
        // Each label leaves some black ink in its place.
        const auto inked = [](int left, int top, int right, int bottom) {
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    if (ChartPixel(x, y) == Black) return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(inked(2, 2, 90, 14));        // ファイル数（個）
        EXPECT_TRUE(inked(300, 226, 360, 238));  // 縦横サイズ
        EXPECT_TRUE(inked(2, 17, 14, 28));       // 4
        EXPECT_TRUE(inked(2, 121, 14, 132));     // 2
        EXPECT_TRUE(inked(180, 226, 240, 238));  // 164×164
        EXPECT_TRUE(inked(90, 226, 140, 238));   // 82×82
        EXPECT_TRUE(inked(2, 226, 30, 238));     // 0×0

        // The window shows the same bitmap at (8, 8), and no pointer line yet.
        EXPECT_EQ(ClientPixel(8 + 116, 8 + 100), Green);
        EXPECT_EQ(ClientPixel(8 + 216, 8 + 100), White);
        EXPECT_EQ(ClientPixel(8 + 16, 8 + 100), Black);
        Click(BtnCancelThreshold);
    });
    AskThresholdDialog(main_, Question(328, 0, {{100, 4}, {50, 2}, {328, 1}}));
    EXPECT_TRUE(checked);
}

TEST_F(ThresholdDialog, OpensWithoutSizesOrFiles) {
    const struct {
        const char* what;
        BoundQuestion question;
    } cases[] = {
        {"every file of side 0", Question(0, 0, {{0, 5}})},
        {"no files", Question(0, 0)},
        {"no counters", BoundQuestion{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Soon([&] {
            MouseMove(204, 100);
            EXPECT_EQ(TextOf(Control(LblPositionValue)), "0");
            EXPECT_EQ(ClientPixel(8 + 100, 8 + 100), White);  // no bar anywhere
            EXPECT_EQ(ClientPixel(8 + 16, 8 + 100), Black);   // but the frame
            MouseDown(204, 100);
            Click(BtnSetThreshold);
        });
        EXPECT_EQ(AskThresholdDialog(main_, c.question), 0);
    }
}

TEST_F(ThresholdDialog, ASecondQuestionWhileOpenChangesNothing) {
    std::int32_t second = -1;
    Soon([&] {
        second = AskThresholdDialog(main_, Question(100, 5));
        EXPECT_EQ(TextOf(Control(EdtThreshold)), "677");
        MouseMove(204, 100);
        EXPECT_EQ(TextOf(Control(LblPositionValue)), "360");  // still maxSide 720
        Click(BtnSetThreshold);
    });
    EXPECT_EQ(AskThresholdDialog(main_, Question(720, 677)), 677);
    EXPECT_EQ(second, 0);
}

TEST_F(ThresholdDialog, AHundredOpeningsLeaveNoGdiObjectBehind) {
    const BoundQuestion question = Question(1000, 677, {{32, 10}, {500, 3}, {1000, 20}});
    const auto openPaintAndClose = [&] {
        Soon([] {
            MouseMove(204, 100);
            ::UpdateWindow(thresholdDialog);  // the red pen too
            Click(BtnCancelThreshold);
        });
        AskThresholdDialog(main_, question);
        DrainQueue();
    };
    openPaintAndClose();  // the first opening fills Wine's caches
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 100; ++i) openPaintAndClose();
    EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
}  // namespace tessel::test
