#include "fw/Dpi.h"

#include "fw/Dc.h"
#include "fw/SystemLibrary.h"

namespace fw {

namespace {

// Functions of newer systems, looked up once; null where they are missing.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
// shcore.dll, Windows 8.1 and later; 0 is MDT_EFFECTIVE_DPI.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

HMODULE User32() {
    return ::GetModuleHandleW(L"user32.dll");
}

HMODULE Shcore() {
    static const ModuleOwner module = LoadSystemLibrary(L"shcore.dll");
    return module.Get();
}

UINT SystemDpi() {
    CClientDC screen(nullptr);
    int dpi = screen.m_hDC != nullptr ? ::GetDeviceCaps(screen.m_hDC, LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

} // namespace

UINT DpiForWindow(HWND hwnd) {
    static const auto getDpiForWindow = ProcAddress<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        UINT dpi = getDpiForWindow(hwnd);
        if (dpi != 0) {
            return dpi;
        }
    }
    return DpiForMonitor(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

UINT DpiForMonitor(HMONITOR monitor) {
    static const auto getDpiForMonitor =
        ProcAddress<GetDpiForMonitorFn>(Shcore(), "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (getDpiForMonitor != nullptr && monitor != nullptr &&
        SUCCEEDED(getDpiForMonitor(monitor, 0, &x, &y)) && y != 0) {
        return y;
    }
    return SystemDpi();
}

UINT DpiForPrimaryMonitor() {
    return DpiForMonitor(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

int ScaleForDpi(int length, UINT dpi) {
    return ::MulDiv(length, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

int SystemMetricForDpi(int index, UINT dpi) {
    static const auto getSystemMetricsForDpi =
        ProcAddress<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi != nullptr) {
        return getSystemMetricsForDpi(index, dpi);
    }
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi),
                    static_cast<int>(SystemDpi()));
}

} // namespace fw
