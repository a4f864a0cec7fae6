// app/threshold_dialog_win32.cpp: the threshold dialog and its size histogram. The chart is
// drawn once, when the dialog opens, into an off-screen bitmap; a paint copies that bitmap
// to the window and draws the red pointer line over it, so moving the mouse never redraws
// the bars. What is drawn where is decided by threshold/size_chart.h, for the dialog's DPI;
// when that changes, the controls move and the chart is drawn once more at the new scale.
#include "app/threshold_dialog_win32.h"

#include <windowsx.h>

#include <string>
#include <utility>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/dpi_win32.h"
#include "app/form_layout.h"
#include "app/gdi_win32.h"
#include "app/modal_dialog_win32.h"
#include "app/shell_win32.h"
#include "app/texts.h"
#include "base/scale.h"
#include "threshold/number_text.h"
#include "threshold/size_chart.h"

namespace tessel {

HWND thresholdDialog = nullptr;

namespace {

constexpr std::uint32_t Label = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t Push = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;

// No control is a tab stop, and the box does not scroll: it takes as many digits as fit.
constexpr ControlSpec controls[] = {
    {LblThresholdPrompt, u"STATIC", text::ThresholdPrompt, Label, 0, 384, 53, 75, 20},
    {EdtThreshold, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_NUMBER, WS_EX_CLIENTEDGE, 384, 80, 48,
     21},
    {LblPixelUnit, u"STATIC", text::ThresholdPixelUnit, Label, 0, 435, 81, 36, 21},
    {BtnSetThreshold, u"BUTTON", text::ThresholdSet, Push, 0, 380, 159, 80, 24},
    {BtnCancelThreshold, u"BUTTON", text::ThresholdCancel, Push, 0, 380, 221, 80, 24},
    // 52 wide from x = 113, not 42 from 123: the readout goes up to five digits (59527 at
    // maxSide 65535), 50 pixels in ThresholdFont. The right edge, where the digits end,
    // stays at 165.
    {LblPositionValue, u"STATIC", u"0", Label | SS_RIGHT, 0, 113, 300, 52, 19},
    // 210 wide, not 193: the text needs 197 pixels, and a narrower static wraps "す）" onto
    // a second line that the height cuts in half.
    {LblPositionUnit, u"STATIC", text::ThresholdPositionUnit, Label, 0, 171, 300, 210, 24},
    {LblPositionCaption, u"STATIC", text::ThresholdPositionCaption, Label, 0, 28, 300, 85, 20},
};

constexpr COLORREF BarColor = RGB(0, 255, 0);
constexpr COLORREF PointerColor = RGB(255, 0, 0);

// One dialog at a time, on the user-interface thread only.
struct ThresholdDialogState {
    SideHistogram histogram;  // the caller's copy of the worker's counters
    std::int32_t maxSide = 0;
    std::int32_t initialBound = 0;
    int dpi = BaseDpi;
    UniqueBitmap chartBitmap;  // before memoryDc: the device context is deleted first
    UniqueMemoryDc memoryDc;
    int cursorX = 0;
    bool cursorShown = false;
};
ThresholdDialogState state;

// The outline of `r`, `width` pixels wide inside it: at one pixel what a one-pixel pen draws
// around the rectangle.
void FillFrame(HDC dc, const ChartRect& r, int width, HBRUSH brush) {
    const RECT sides[] = {
        {r.left, r.top, r.right, r.top + width},
        {r.left, r.bottom - width, r.right, r.bottom},
        {r.left, r.top, r.left + width, r.bottom},
        {r.right - width, r.top, r.right, r.bottom},
    };
    for (const RECT& side : sides) ::FillRect(dc, &side, brush);
}

void DrawSizeHistogram(HDC dc) {
    const ChartGeometry geometry = ChartGeometryAt(state.dpi);
    const SizeChartLayout chart = LayOutSizeChart(state.histogram, state.maxSide, state.dpi);
    {
        UniqueBrush brush(::CreateSolidBrush(BarColor));
        UniquePen pen(::CreatePen(PS_SOLID, 0, BarColor));
        SelectedObject selectedBrush(dc, brush.Get());
        SelectedObject selectedPen(dc, pen.Get());
        for (const ChartBar& bar : chart.bars) {
            ::Rectangle(dc, bar.rect.left, bar.rect.top, bar.rect.right, bar.rect.bottom);
        }
    }
    FillFrame(dc, chart.frame, geometry.lineWidth,
              static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    // A positive height is the cell height: 12 pixels at 96 DPI from the top of one line to
    // the next.
    UniqueFont font(::CreateFontW(geometry.labelHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                                  SHIFTJIS_CHARSET, OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, FIXED_PITCH, Wide(text::FontFace)));
    SelectedObject selectedFont(dc, font.Get());
    // Opaque, black on white (the device context's own): a long count may cover the frame.
    for (const ChartLabel& label : chart.labels) {
        ::TextOutW(dc, label.x, label.y, Wide(label.text), static_cast<int>(label.text.size()));
    }
}

void SetUpChart(HWND dialog) {
    const ChartGeometry geometry = ChartGeometryAt(state.dpi);
    state.memoryDc.Reset();  // first: it holds the bitmap of a DPI before
    {
        WindowDc window(dialog);
        state.memoryDc.Reset(::CreateCompatibleDC(window.Get()));
        state.chartBitmap.Reset(
            ::CreateCompatibleBitmap(window.Get(), geometry.width, geometry.height));
    }
    // The bitmap stays selected until the device context is deleted.
    ::SelectObject(state.memoryDc.Get(), state.chartBitmap.Get());
    const RECT all{0, 0, geometry.width, geometry.height};
    ::FillRect(state.memoryDc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    DrawSizeHistogram(state.memoryDc.Get());
}

void SetNumber(HWND dialog, int id, std::int32_t value) {
    ::SetDlgItemTextW(dialog, id, std::to_wstring(value).c_str());
}

void InvalidateChart(HWND dialog) {
    const ChartRect chart = ChartAreaAt(state.dpi);
    const RECT area{chart.left, chart.top, chart.right, chart.bottom};
    ::InvalidateRect(dialog, &area, TRUE);
}

void OnInitDialog(HWND dialog) {
    thresholdDialog = dialog;
    state.cursorShown = false;
    state.dpi = WindowDpi(dialog);
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    for (const ControlSpec& c : controls) {
        const ScaledRect r = ScaleRect(c.x, c.y, c.width, c.height, state.dpi);
        HWND control = ::CreateWindowExW(
            c.exStyle, Wide(c.className), Wide(c.caption), c.style, r.x, r.y, r.width, r.height,
            dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ThresholdFont(state.dpi)),
                       FALSE);
    }
    SetUpChart(dialog);
    SetNumber(dialog, EdtThreshold, state.initialBound);
}

// The chart is drawn again at the new scale; the pointer line waits for the next move, since
// the pointer's position in the window's new lengths is not known until then.
void OnDpiChanged(HWND dialog, int dpi, const RECT& suggested) {
    state.dpi = dpi;
    state.cursorShown = false;
    for (const ControlSpec& c : controls) {
        HWND control = ::GetDlgItem(dialog, c.id);
        const ScaledRect r = ScaleRect(c.x, c.y, c.width, c.height, dpi);
        ::MoveWindow(control, r.x, r.y, r.width, r.height, FALSE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ThresholdFont(dpi)), FALSE);
    }
    SetUpChart(dialog);
    ::SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void OnDestroy() {
    state.memoryDc.Reset();
    state.chartBitmap.Reset();
    state.histogram = {};
}

void OnPaint(HWND dialog) {
    const ChartGeometry geometry = ChartGeometryAt(state.dpi);
    PaintDc paint(dialog);
    ::BitBlt(paint.Get(), geometry.originX, geometry.originY, geometry.width, geometry.height,
             state.memoryDc.Get(), 0, 0, SRCCOPY);
    if (state.cursorShown) {
        // Down the whole chart from the pointer's x, lineWidth to its right: at 96 DPI the
        // one-pixel line from the chart's top to its bottom, which it leaves out.
        const ChartRect chart = ChartAreaAt(state.dpi);
        const RECT line{state.cursorX, chart.top, state.cursorX + geometry.lineWidth, chart.bottom};
        UniqueBrush red(::CreateSolidBrush(PointerColor));
        ::FillRect(paint.Get(), &line, red.Get());
    }
}

void OnMouseMove(HWND dialog, int x, int y) {
    if (const auto side = PointerToSide(x, y, state.maxSide, state.dpi)) {
        SetNumber(dialog, LblPositionValue, *side);
        state.cursorX = x;
        state.cursorShown = true;
        InvalidateChart(dialog);
    } else {
        // Off the chart the line goes; the readout keeps its last value.
        if (state.cursorShown) InvalidateChart(dialog);
        state.cursorShown = false;
    }
}

void OnLeftButtonDown(HWND dialog, int x, int y) {
    if (const auto side = PointerToSide(x, y, state.maxSide, state.dpi)) {
        SetNumber(dialog, EdtThreshold, *side);
    }
}

void OnSet(HWND dialog) {
    wchar_t typed[255] = {};  // at most 254 characters
    ::GetDlgItemTextW(dialog, EdtThreshold, typed, 255);
    // A number is ASCII; anything else stops the reading as it always did.
    std::string narrow;
    for (const wchar_t* c = typed; *c != L'\0'; ++c)
        narrow += *c < 0x80 ? static_cast<char>(*c) : '\x7F';
    CloseModalDialog(dialog, ReadNumberText(narrow));
}

// Only the two buttons end the dialog; IDOK and IDCANCEL, which Enter and Escape produce in
// the runner's keyboard handling, are ignored like every other command.
void OnCommand(HWND dialog, int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case BtnSetThreshold: OnSet(dialog); break;
        case BtnCancelThreshold: CloseModalDialog(dialog, 0); break;
    }
}

}  // namespace

LRESULT CALLBACK ThresholdDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(dialog); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        case WM_PAINT: OnPaint(dialog); return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(dialog, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(dialog, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_CLOSE: CloseModalDialog(dialog, 0); return 0;
        case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_DPICHANGED:
            OnDpiChanged(dialog, DpiOfMessage(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
    }
    return ::DefWindowProcW(dialog, message, wParam, lParam);
}

std::int32_t AskThresholdDialog(HWND owner, const BoundQuestion& question) {
    // The open dialog reads these; a second question must not change them under it.
    if (thresholdDialog != nullptr) return 0;
    state.histogram = question.histogram;
    state.maxSide = question.maxSide;
    state.initialBound = question.proposal;
    return ModalDialogRunner(owner, ThresholdDialogId);
}

std::span<const ControlSpec> ThresholdControls() {
    return controls;
}

HDC ThresholdChartSurface() {
    return state.memoryDc.Get();
}

}  // namespace tessel
