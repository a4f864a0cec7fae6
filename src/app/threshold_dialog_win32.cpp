// app/threshold_dialog_win32.cpp: the threshold dialog and its size histogram. The chart is
// drawn once, when the dialog opens, into an off-screen bitmap; a paint copies that bitmap
// to the window and draws the red pointer line over it, so moving the mouse never redraws
// the bars. What is drawn where is decided by threshold/size_chart.h.
#include "app/threshold_dialog_win32.h"

#include <windowsx.h>

#include <string>
#include <utility>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/gdi_win32.h"
#include "app/modal_dialog_win32.h"
#include "app/shell_win32.h"
#include "app/texts.h"
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
    UniqueBitmap chartBitmap;  // before memoryDc: the device context is deleted first
    UniqueMemoryDc memoryDc;
    int cursorX = 0;
    bool cursorShown = false;
};
ThresholdDialogState state;

void DrawSizeHistogram(HDC dc) {
    const SizeChartLayout chart = LayOutSizeChart(state.histogram, state.maxSide);
    {
        UniqueBrush brush(::CreateSolidBrush(BarColor));
        UniquePen pen(::CreatePen(PS_SOLID, 0, BarColor));
        SelectedObject selectedBrush(dc, brush.Get());
        SelectedObject selectedPen(dc, pen.Get());
        for (const ChartBar& bar : chart.bars) {
            ::Rectangle(dc, bar.rect.left, bar.rect.top, bar.rect.right, bar.rect.bottom);
        }
    }
    {
        SelectedObject hollow(dc, ::GetStockObject(NULL_BRUSH));
        SelectedObject black(dc, ::GetStockObject(BLACK_PEN));
        ::Rectangle(dc, chart.frame.left, chart.frame.top, chart.frame.right, chart.frame.bottom);
    }
    // A positive height is the cell height: 12 pixels from the top of one line to the next.
    UniqueFont font(::CreateFontW(12, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                  OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  FIXED_PITCH, Wide(text::FontFace)));
    SelectedObject selectedFont(dc, font.Get());
    // Opaque, black on white (the device context's own): a long count may cover the frame.
    for (const ChartLabel& label : chart.labels) {
        ::TextOutW(dc, label.x, label.y, Wide(label.text), static_cast<int>(label.text.size()));
    }
}

void SetUpChart(HWND dialog) {
    {
        WindowDc window(dialog);
        state.memoryDc.Reset(::CreateCompatibleDC(window.Get()));
        state.chartBitmap.Reset(
            ::CreateCompatibleBitmap(window.Get(), chart::Width, chart::Height));
    }
    // The bitmap stays selected until the device context is deleted.
    ::SelectObject(state.memoryDc.Get(), state.chartBitmap.Get());
    const RECT all{0, 0, chart::Width, chart::Height};
    ::FillRect(state.memoryDc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    DrawSizeHistogram(state.memoryDc.Get());
}

void SetNumber(HWND dialog, int id, std::int32_t value) {
    ::SetDlgItemTextW(dialog, id, std::to_wstring(value).c_str());
}

void InvalidateChart(HWND dialog) {
    const RECT area{ChartArea.left, ChartArea.top, ChartArea.right, ChartArea.bottom};
    ::InvalidateRect(dialog, &area, TRUE);
}

void OnInitDialog(HWND dialog) {
    thresholdDialog = dialog;
    state.cursorShown = false;
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    for (const ControlSpec& c : controls) {
        HWND control = ::CreateWindowExW(
            c.exStyle, Wide(c.className), Wide(c.caption), c.style, c.x, c.y, c.width, c.height,
            dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(ThresholdFont()), FALSE);
    }
    SetUpChart(dialog);
    SetNumber(dialog, EdtThreshold, state.initialBound);
}

void OnDestroy() {
    state.memoryDc.Reset();
    state.chartBitmap.Reset();
    state.histogram = {};
}

void OnPaint(HWND dialog) {
    PaintDc paint(dialog);
    ::BitBlt(paint.Get(), chart::OriginX, chart::OriginY, chart::Width, chart::Height,
             state.memoryDc.Get(), 0, 0, SRCCOPY);
    if (state.cursorShown) {
        UniquePen pen(::CreatePen(PS_SOLID, 0, PointerColor));
        SelectedObject selected(paint.Get(), pen.Get());
        ::MoveToEx(paint.Get(), state.cursorX, ChartArea.top, nullptr);
        ::LineTo(paint.Get(), state.cursorX, ChartArea.bottom);  // the end point stays out
    }
}

void OnMouseMove(HWND dialog, int x, int y) {
    if (const auto side = PointerToSide(x, y, state.maxSide)) {
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
    if (const auto side = PointerToSide(x, y, state.maxSide)) {
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
