// The floor of a moving frame under Wine: a minimal magnifier that does only
// what any moving frame must do, to weigh Loupa's figure against. Not part of
// the product. It takes one snapshot of the primary monitor, then at a 50 ms
// tick, when the pointer has moved, stretches the snapshot 4x into a
// top-most, full-monitor, click-through window around the pointer.
//
//   LoupaBenchFloor.exe
#include <windows.h>

namespace {

constexpr int kRate = 4;
constexpr UINT kPeriodMs = 50;

HDC g_snapshot = nullptr;
RECT g_monitor{};
POINT g_pointer{-1, -1};

int Width() {
    return g_monitor.right - g_monitor.left;
}
int Height() {
    return g_monitor.bottom - g_monitor.top;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    // The point under the pointer stays under it, as in Loupa.
    const int px = g_pointer.x - g_monitor.left;
    const int py = g_pointer.y - g_monitor.top;
    StretchBlt(dc, 0, 0, Width(), Height(), g_snapshot, px - px / kRate, py - py / kRate,
               Width() / kRate, Height() / kRate, SRCCOPY);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER: {
        POINT now{};
        GetCursorPos(&now);
        if (now.x != g_pointer.x || now.y != g_pointer.y) {
            g_pointer = now;
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
        }
        return 0;
    }
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetProcessDPIAware();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    g_monitor = info.rcMonitor;

    HDC screen = GetDC(nullptr);
    g_snapshot = CreateCompatibleDC(screen);
    SelectObject(g_snapshot, CreateCompatibleBitmap(screen, Width(), Height()));
    BitBlt(g_snapshot, 0, 0, Width(), Height(), screen, g_monitor.left, g_monitor.top, SRCCOPY);
    ReleaseDC(nullptr, screen);

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"LoupaBenchFloor";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST |
                                    WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                wc.lpszClassName, L"LoupaBenchFloor", WS_POPUP, g_monitor.left,
                                g_monitor.top, Width(), Height(), nullptr, nullptr, instance,
                                nullptr);
    SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SetTimer(hwnd, 1, kPeriodMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
