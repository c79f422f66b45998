// The DPI that windows and monitors are shown at, on every supported Windows:
// per monitor where the system has it (8.1 and later), else the system's.
// The process is per-monitor aware (see the manifest), so every length here
// is in physical pixels.
#pragma once

#include <windows.h>

namespace fw {

// The DPI that lengths "at 96 DPI" are given for.
constexpr UINT kBaseDpi = 96;

UINT DpiForWindow(HWND hwnd);
UINT DpiForMonitor(HMONITOR monitor);
// The DPI of the primary monitor, which shows the notification area.
UINT DpiForPrimaryMonitor();
// A length given at 96 DPI, at dpi, rounded to the nearest pixel.
int ScaleForDpi(int length, UINT dpi);
// GetSystemMetrics(index) as at dpi: exact where the system answers for any
// DPI (Windows 10 1607 and later), else scaled from the system DPI's value.
int SystemMetricForDpi(int index, UINT dpi);

} // namespace fw
