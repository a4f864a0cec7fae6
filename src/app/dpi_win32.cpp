// app/dpi_win32.cpp: the DPI calls of Windows 10, found at run time. Each is looked up once,
// on first use; a missing one leaves a null pointer and its fallback is used every time.
#include "app/dpi_win32.h"

#include "base/scale.h"

namespace tessel {
namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetDpiForSystemCall = UINT(WINAPI*)();
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiCall = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

struct DpiCalls {
    GetDpiForWindowCall getDpiForWindow;
    GetDpiForSystemCall getDpiForSystem;
    GetSystemMetricsForDpiCall getSystemMetricsForDpi;
    SystemParametersInfoForDpiCall systemParametersInfoForDpi;
};

template <typename Call>
Call Find(HMODULE module, const char* name) {
    // Through void*: GetProcAddress's FARPROC is a function type of its own.
    return reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const DpiCalls& Calls() {
    static const DpiCalls calls = [] {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return DpiCalls{Find<GetDpiForWindowCall>(user32, "GetDpiForWindow"),
                        Find<GetDpiForSystemCall>(user32, "GetDpiForSystem"),
                        Find<GetSystemMetricsForDpiCall>(user32, "GetSystemMetricsForDpi"),
                        Find<SystemParametersInfoForDpiCall>(user32, "SystemParametersInfoForDpi")};
    }();
    return calls;
}

int DeviceDpi(HWND window) {
    HDC dc = ::GetDC(window);
    const int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc != nullptr) ::ReleaseDC(window, dc);
    return dpi > 0 ? dpi : BaseDpi;
}

// A length of the system's DPI at `dpi`.
int FromSystemDpi(int length, int dpi) {
    return ::MulDiv(length, dpi, SystemDpi());
}

}  // namespace

int WindowDpi(HWND window) {
    if (Calls().getDpiForWindow != nullptr) {
        if (const UINT dpi = Calls().getDpiForWindow(window); dpi != 0)
            return static_cast<int>(dpi);
    }
    return DeviceDpi(window);
}

int SystemDpi() {
    if (Calls().getDpiForSystem != nullptr) return static_cast<int>(Calls().getDpiForSystem());
    return DeviceDpi(nullptr);
}

int SystemMetricAt(int index, int dpi) {
    if (Calls().getSystemMetricsForDpi != nullptr) {
        return Calls().getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    }
    return FromSystemDpi(::GetSystemMetrics(index), dpi);
}

bool StatusFontAt(int dpi, LOGFONTW& font) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Calls().systemParametersInfoForDpi != nullptr) {
        if (!Calls().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                                                0, static_cast<UINT>(dpi))) {
            return false;
        }
        font = metrics.lfStatusFont;
        return true;
    }
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return false;
    }
    font = metrics.lfStatusFont;
    font.lfHeight = FromSystemDpi(font.lfHeight, dpi);
    return true;
}

}  // namespace tessel
