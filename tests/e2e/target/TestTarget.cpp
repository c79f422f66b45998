// A window for the end-to-end tests to zoom over and to send input to. It
// shows a fine, non-repeating pattern that magnification errors cannot hide,
// and logs the input it receives, one line per message, to a file. A control
// may hold the keyboard focus:
//   edit          a one-line edit control; its caret is logged after every
//                 change ("CARET x y", the middle on the screen)
//   own-caret     a line that draws a caret of its own (no system caret),
//                 tells of it as accessibility does (WM_GETOBJECT with
//                 OBJID_CARET, EVENT_OBJECT_LOCATIONCHANGE) and logs it
//   buttons       four push buttons far apart that Tab goes through; the
//                 focused one is logged ("FOCUS x y", its middle)
// With "hold:<modifiers>:<vk>" it holds that global hot key, as another
// program would, and logs "HOTKEY_HELD" or "HOTKEY_REFUSED".
//
//   LoupaTestTarget.exe <log file> [x y width height [control] [hold:<mods>:<vk>]]
#include "../../support/Bitmap32.h"

#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
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

// The control that holds the focus while the window is active.
HWND g_focus = nullptr;
// The edit control and the line with its own caret, in the window's client
// coordinates.
const RECT kEditRect{120, 200, 1000, 232};
const UINT WM_LOGCARET = WM_APP + 1;
// The buttons, in the window's client coordinates: near the top-left
// corner, the right edge, the middle and the bottom.
const RECT kButtonRects[] = {
    {40, 40, 160, 72}, {1700, 100, 1820, 132}, {860, 500, 980, 532}, {200, 940, 320, 972}};
bool g_buttons = false;

// The middle of a rectangle in hwnd's client coordinates, on the screen.
void LogMiddle(const char* what, HWND hwnd, RECT rect) {
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    Log(what, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// The line with a caret of its own: each letter typed moves it 8 pixels.
const int kOwnCaretStep = 8;
int g_ownCaretX = 4;
RECT OwnCaretRect() {
    return RECT{g_ownCaretX, 6, g_ownCaretX + 2, 26};
}

// The accessible object of that caret: only its place is known.
class CaretAccessible final : public IAccessible {
public:
    explicit CaretAccessible(HWND hwnd) : m_hwnd(hwnd) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        // __uuidof: mingw's IID_IAccessible names oleacc's export by its
        // import thunk, not by its value.
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT) override {
        RECT r = OwnCaretRect();
        MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    // Nothing else of the caret is known.
#define LOUPA_NOT_KNOWN(name, ...)                                                                 \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override {                                         \
        return E_NOTIMPL;                                                                          \
    }
    LOUPA_NOT_KNOWN(GetTypeInfoCount, UINT*)
    LOUPA_NOT_KNOWN(GetTypeInfo, UINT, LCID, ITypeInfo**)
    LOUPA_NOT_KNOWN(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    LOUPA_NOT_KNOWN(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    LOUPA_NOT_KNOWN(get_accParent, IDispatch**)
    LOUPA_NOT_KNOWN(get_accChildCount, long*)
    LOUPA_NOT_KNOWN(get_accChild, VARIANT, IDispatch**)
    LOUPA_NOT_KNOWN(get_accName, VARIANT, BSTR*)
    LOUPA_NOT_KNOWN(get_accValue, VARIANT, BSTR*)
    LOUPA_NOT_KNOWN(get_accDescription, VARIANT, BSTR*)
    LOUPA_NOT_KNOWN(get_accRole, VARIANT, VARIANT*)
    LOUPA_NOT_KNOWN(get_accState, VARIANT, VARIANT*)
    LOUPA_NOT_KNOWN(get_accHelp, VARIANT, BSTR*)
    LOUPA_NOT_KNOWN(get_accHelpTopic, BSTR*, VARIANT, long*)
    LOUPA_NOT_KNOWN(get_accKeyboardShortcut, VARIANT, BSTR*)
    LOUPA_NOT_KNOWN(get_accFocus, VARIANT*)
    LOUPA_NOT_KNOWN(get_accSelection, VARIANT*)
    LOUPA_NOT_KNOWN(get_accDefaultAction, VARIANT, BSTR*)
    LOUPA_NOT_KNOWN(accSelect, long, VARIANT)
    LOUPA_NOT_KNOWN(accNavigate, long, VARIANT, VARIANT*)
    LOUPA_NOT_KNOWN(accHitTest, long, long, VARIANT*)
    LOUPA_NOT_KNOWN(accDoDefaultAction, VARIANT)
    LOUPA_NOT_KNOWN(put_accName, VARIANT, BSTR)
    LOUPA_NOT_KNOWN(put_accValue, VARIANT, BSTR)
#undef LOUPA_NOT_KNOWN

private:
    HWND m_hwnd;
    ULONG m_refs = 1;
};

LRESULT CALLBACK OwnCaretProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT caret = OwnCaretRect();
        FillRect(dc, &caret, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CHAR:
        g_ownCaretX += kOwnCaretStep;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, hwnd, OBJID_CARET, CHILDID_SELF);
        LogMiddle("CARET", hwnd, OwnCaretRect());
        return 0;
    case WM_SETFOCUS: LogMiddle("CARET", hwnd, OwnCaretRect()); return 0;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CARET) {
            auto* caret = new CaretAccessible(hwnd);
            const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, caret);
            caret->Release();
            return result;
        }
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

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
        if (g_focus != nullptr && LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(g_focus);
            return 0;
        }
        break;
    case WM_COMMAND:
        // Logged once the edit control has finished with the change.
        if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_SETFOCUS) {
            PostMessageW(hwnd, WM_LOGCARET, 0, 0);
        }
        if (HIWORD(wParam) == BN_SETFOCUS) {
            g_focus = reinterpret_cast<HWND>(lParam);
            RECT client;
            GetClientRect(g_focus, &client);
            LogMiddle("FOCUS", g_focus, client);
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
    for (int i = 6; i < argc; ++i) {
        unsigned mods = 0, vk = 0;
        if (swscanf(argv[i], L"hold:%u:%u", &mods, &vk) == 2) {
            const bool held = RegisterHotKey(hwnd, 1, mods, vk) != FALSE;
            Log(held ? "HOTKEY_HELD" : "HOTKEY_REFUSED", mods, vk);
        }
    }
    const wchar_t* control = argc >= 7 ? argv[6] : L"";
    if (lstrcmpW(control, L"edit") == 0) {
        g_focus =
            CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                            kEditRect.left, kEditRect.top, kEditRect.right - kEditRect.left,
                            kEditRect.bottom - kEditRect.top, hwnd, nullptr, instance, nullptr);
        SetFocus(g_focus);
    } else if (lstrcmpW(control, L"own-caret") == 0) {
        // Its accessible caret crosses to Loupa through COM.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSW line{};
        line.lpfnWndProc = OwnCaretProc;
        line.hInstance = instance;
        line.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        line.lpszClassName = L"LoupaOwnCaretLine";
        RegisterClassW(&line);
        g_focus =
            CreateWindowExW(0, line.lpszClassName, L"", WS_CHILD | WS_VISIBLE, kEditRect.left,
                            kEditRect.top, kEditRect.right - kEditRect.left,
                            kEditRect.bottom - kEditRect.top, hwnd, nullptr, instance, nullptr);
        SetFocus(g_focus);
    } else if (lstrcmpW(control, L"buttons") == 0) {
        g_buttons = true;
        for (const RECT& r : kButtonRects) {
            CreateWindowExW(0, L"BUTTON", L"OK",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, hwnd, nullptr, instance,
                            nullptr);
        }
        SetFocus(GetWindow(hwnd, GW_CHILD));
    }
    SetForegroundWindow(hwnd);
    Log("READY", 0, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (g_buttons && IsDialogMessageW(hwnd, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_log != nullptr) {
        std::fclose(g_log);
    }
    return 0;
}
