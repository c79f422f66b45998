// A window for the end-to-end tests to zoom over and to send input to. It
// shows a fine, non-repeating pattern that magnification errors cannot hide,
// and logs the input it receives, one line per message, to a file. With
// "edit" it also holds a one-line edit control that keeps the keyboard focus
// and logs where its caret is after every change.
//
//   LoupaTestTarget.exe <log file> [x y width height [edit]]
#include "../../support/Bitmap32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

FILE* g_log = nullptr;

void Log(const char* what, WPARAM wParam, LPARAM lParam) {
    if (g_log != nullptr) {
        std::fprintf(g_log, "%s %lld %lld\n", what, static_cast<long long>(wParam),
                     static_cast<long long>(lParam));
        std::fflush(g_log);
    }
}

// Deterministic noise: every 4 by 4 cell has its own colour, from a hash of
// its coordinates, so any shift or wrong scale shows in a comparison.
COLORREF CellColour(int cx, int cy) {
    unsigned h = static_cast<unsigned>(cx) * 73856093u ^ static_cast<unsigned>(cy) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return RGB(h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF);
}

// The picture, made once: colours are tied to screen cells, so the picture
// is the same wherever the window lies.
std::vector<uint32_t> g_pixels;
int g_width = 0;
int g_height = 0;

HWND g_edit = nullptr;
// The edit control, in the window's client coordinates.
const RECT kEditRect{120, 200, 1000, 232};
const UINT WM_LOGCARET = WM_APP + 1;

// "CARET x y": the middle of the caret's rectangle on the screen, as
// the caret's own thread knows it.
void LogCaret() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || info.hwndCaret == nullptr) {
        return;
    }
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&info.rcCaret), 2);
    Log("CARET", (info.rcCaret.left + info.rcCaret.right) / 2,
        (info.rcCaret.top + info.rcCaret.bottom) / 2);
}

void MakePicture(int x0, int y0, int w, int h) {
    const int cell = 4;
    g_width = w;
    g_height = h;
    g_pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = CellColour((x + x0) / cell, (y + y0) / cell);
            g_pixels[static_cast<size_t>(y) * w + x] =
                (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    BITMAPINFO bmi = Bitmap32(g_width, g_height);
    SetDIBitsToDevice(dc, 0, 0, g_width, g_height, 0, 0, 0, g_height, g_pixels.data(), &bmi,
                      DIB_RGB_COLORS);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_MOUSEWHEEL: Log("WM_MOUSEWHEEL", wParam, lParam); return 0;
    case WM_KEYDOWN: Log("WM_KEYDOWN", wParam, lParam); return 0;
    case WM_KEYUP: Log("WM_KEYUP", wParam, lParam); return 0;
    case WM_SYSKEYDOWN: Log("WM_SYSKEYDOWN", wParam, lParam); break;
    case WM_SYSKEYUP: Log("WM_SYSKEYUP", wParam, lParam); break;
    case WM_LBUTTONDOWN: Log("WM_LBUTTONDOWN", wParam, lParam); return 0;
    case WM_RBUTTONDOWN: Log("WM_RBUTTONDOWN", wParam, lParam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_ACTIVATE:
        if (g_edit != nullptr && LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(g_edit);
            return 0;
        }
        break;
    case WM_COMMAND:
        // Logged once the edit control has finished with the change.
        if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_SETFOCUS) {
            PostMessageW(hwnd, WM_LOGCARET, 0, 0);
        }
        return 0;
    case WM_LOGCARET: LogCaret(); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 2) {
        g_log = _wfopen(argv[1], L"w");
    }
    int x = 0, y = 0, w = 1920, h = 1080;
    if (argc >= 6) {
        x = _wtoi(argv[2]);
        y = _wtoi(argv[3]);
        w = _wtoi(argv[4]);
        h = _wtoi(argv[5]);
    }
    MakePicture(x, y, w, h);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"LoupaTestTarget";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Loupa Test Target", WS_POPUP | WS_VISIBLE, x,
                                y, w, h, nullptr, nullptr, instance, nullptr);
    if (argc >= 7 && lstrcmpW(argv[6], L"edit") == 0) {
        g_edit =
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                            kEditRect.left, kEditRect.top, kEditRect.right - kEditRect.left,
                            kEditRect.bottom - kEditRect.top, hwnd, nullptr, instance, nullptr);
        SetFocus(g_edit);
    }
    SetForegroundWindow(hwnd);
    Log("READY", 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_log != nullptr) {
        std::fclose(g_log);
    }
    return 0;
}
