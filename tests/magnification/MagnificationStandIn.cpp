// A stand-in for the system's Magnification.dll, for tests under Wine, which
// has none. It exports the twelve functions of the real library and behaves
// as the real magnifier control does where a magnifier relies on it:
// MagInitialize registers the "Magnifier" window class; a magnifier window
// shows its source rectangle magnified by its transform's scale from its
// top-left corner, and draws only when it is painted, so a picture that is
// never invalidated goes stale as the real one does.
//
// Unlike the real control it cannot leave its own host window out of a screen
// capture (under Wine every capture has it), so it renders from a picture of
// the monitor taken while the host is not over that monitor: whenever a source
// rectangle is set on a monitor that the host does not cover (the host is
// hidden or on another monitor). While the host covers the monitor, the last
// picture of that monitor stays.
//
// Environment:
//   MAGNIFICATION_STANDIN_LOG         a file that every call is appended to
//   MAGNIFICATION_STANDIN_INITIALIZE  "fail": MagInitialize fails and registers
//                                     nothing; "no-class": it succeeds but
//                                     leaves the class unregistered
//
// Log lines are a name and key=value fields without spaces: the calls
// ("MagSetWindowSource window=0x2004c rect=750,375,1230,645 result=1"),
// "attach module=..." and "detach freed=1|0" (by FreeLibrary, or at the
// process's end), and the magnifier windows' "create", "size" and "destroy".
#include "../support/Bitmap32.h"

#include <windows.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct MAGTRANSFORM {
    float v[3][3];
};

struct MAGCOLOREFFECT {
    float transform[5][5];
};

// The real callback takes image headers; this library only stores it.
using MagImageScalingCallback = BOOL(CALLBACK*)();

namespace {

const wchar_t kClassName[] = L"Magnifier";
HMODULE g_module = nullptr;

std::string Utf8(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string out(static_cast<size_t>(n - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    // Fields are separated by spaces.
    for (char& c : out) {
        if (c == ' ') {
            c = '_';
        }
    }
    return out;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

void Log(const char* format, ...) {
    std::wstring path = Environment(L"MAGNIFICATION_STANDIN_LOG");
    if (path.empty()) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    n = n < static_cast<int>(sizeof line) - 2 ? n : static_cast<int>(sizeof line) - 2;
    line[n++] = '\n';
    // Appended whole, so a reader never sees half a line from one writer.
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    ::CloseHandle(file);
}

unsigned long long Handle(HWND hwnd) {
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(hwnd));
}

std::string Floats(const float* values, int count) {
    std::string out;
    char number[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, i == 0 ? "%g" : ",%g", values[i]);
        out += number;
    }
    return out;
}

SIZE ClientSize(HWND hwnd) {
    RECT rect{};
    ::GetClientRect(hwnd, &rect);
    return {rect.right, rect.bottom};
}

// What one magnifier window holds; it lives from WM_NCCREATE to WM_NCDESTROY.
struct Magnifier {
    RECT source{};
    MAGTRANSFORM transform{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    bool hasEffect = false;
    MAGCOLOREFFECT effect{};
    DWORD filterMode = 0;
    std::vector<HWND> filter;
    MagImageScalingCallback callback = nullptr;
    // The picture of one monitor: 32-bit pixels, rows top down.
    RECT pictured{};
    std::vector<std::uint32_t> picture;
    // What the last paint showed; kept to spare an allocation per paint.
    std::vector<std::uint32_t> view;
};

LRESULT CALLBACK MagnifierProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

Magnifier* MagnifierOf(HWND hwnd) {
    if (!::IsWindow(hwnd) ||
        ::GetClassLongPtrW(hwnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&MagnifierProc)) {
        return nullptr;
    }
    return reinterpret_cast<Magnifier*>(::GetWindowLongPtrW(hwnd, 0));
}

// Takes the picture of monitor from the screen.
void Capture(Magnifier& m, const RECT& monitor) {
    const int width = monitor.right - monitor.left;
    const int height = monitor.bottom - monitor.top;
    BITMAPINFO info = Bitmap32(width, height);
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, monitor.left, monitor.top, SRCCOPY);
        ::GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        m.picture.assign(pixels, pixels + static_cast<size_t>(width) * height);
        m.pictured = monitor;
        ::SelectObject(memory, old);
    }
    if (bitmap != nullptr) {
        ::DeleteObject(bitmap);
    }
    if (memory != nullptr) {
        ::DeleteDC(memory);
    }
    ::ReleaseDC(nullptr, screen);
}

// Renews the picture when the source lies on a monitor that the host window
// does not cover; true when it did.
bool CaptureUnlessCovered(HWND hwnd, Magnifier& m) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromRect(&m.source, MONITOR_DEFAULTTONEAREST), &info)) {
        return false;
    }
    HWND host = ::GetAncestor(hwnd, GA_ROOT);
    RECT hostRect{};
    RECT overlap{};
    ::GetWindowRect(host, &hostRect);
    if (::IsWindowVisible(host) && ::IntersectRect(&overlap, &hostRect, &info.rcMonitor)) {
        return false;
    }
    Capture(m, info.rcMonitor);
    return true;
}

std::uint8_t Channel(double value) {
    value = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
    return static_cast<std::uint8_t>(std::floor(value * 255.0 + 0.5));
}

// The colour matrix on (r, g, b, a, 1) as a row vector, channels from 0 to 1.
void ApplyEffect(std::vector<std::uint32_t>& pixels, const MAGCOLOREFFECT& effect) {
    const auto& t = effect.transform;
    for (std::uint32_t& pixel : pixels) {
        const double in[5] = {((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0,
                              (pixel & 0xFF) / 255.0, 1.0, 1.0};
        double out[3] = {};
        for (int c = 0; c < 3; ++c) {
            for (int i = 0; i < 5; ++i) {
                out[c] += in[i] * t[i][c];
            }
        }
        pixel = static_cast<std::uint32_t>(Channel(out[0])) << 16 |
                static_cast<std::uint32_t>(Channel(out[1])) << 8 | Channel(out[2]);
    }
}

// Source pixel x + 0.5 of the view comes from left + (x + 0.5) / scale of the
// screen; what lies outside the picture is black.
void Paint(HWND hwnd, Magnifier& m) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    const SIZE size = ClientSize(hwnd);
    const double scaleX = m.transform.v[0][0];
    const double scaleY = m.transform.v[1][1];
    if (size.cx > 0 && size.cy > 0) {
        std::vector<std::uint32_t>& view = m.view;
        view.assign(static_cast<size_t>(size.cx) * size.cy, 0);
        const long width = m.pictured.right - m.pictured.left;
        const long height = m.pictured.bottom - m.pictured.top;
        if (scaleX > 0 && scaleY > 0 && !m.picture.empty()) {
            std::vector<long> columns(static_cast<size_t>(size.cx));
            for (long x = 0; x < size.cx; ++x) {
                long px = m.source.left - m.pictured.left +
                          static_cast<long>(std::floor((x + 0.5) / scaleX));
                columns[x] = px >= 0 && px < width ? px : -1;
            }
            for (long y = 0; y < size.cy; ++y) {
                long py = m.source.top - m.pictured.top +
                          static_cast<long>(std::floor((y + 0.5) / scaleY));
                if (py < 0 || py >= height) {
                    continue;
                }
                const std::uint32_t* row = &m.picture[static_cast<size_t>(py) * width];
                std::uint32_t* out = &view[static_cast<size_t>(y) * size.cx];
                for (long x = 0; x < size.cx; ++x) {
                    if (columns[x] >= 0) {
                        out[x] = row[columns[x]];
                    }
                }
            }
        }
        if (m.hasEffect) {
            ApplyEffect(view, m.effect);
        }
        BITMAPINFO info = Bitmap32(size.cx, size.cy);
        ::SetDIBitsToDevice(dc, 0, 0, size.cx, size.cy, 0, 0, 0, size.cy, view.data(), &info,
                            DIB_RGB_COLORS);
    }
    ::EndPaint(hwnd, &ps);
}

LRESULT OnCreate(HWND hwnd, const CREATESTRUCTW& cs) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    const SIZE host = ClientSize(cs.hwndParent);
    Log("create window=0x%llx parent=0x%llx class=%s name=%s style=0x%08lx exstyle=0x%08lx "
        "position=%d,%d size=%dx%d host=%ldx%ld",
        Handle(hwnd), Handle(cs.hwndParent), Utf8(name).c_str(),
        Utf8(cs.lpszName ? cs.lpszName : L"").c_str(), static_cast<unsigned long>(cs.style),
        static_cast<unsigned long>(cs.dwExStyle), cs.x, cs.y, cs.cx, cs.cy, host.cx, host.cy);
    return 0;
}

LRESULT CALLBACK MagnifierProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* m = reinterpret_cast<Magnifier*>(::GetWindowLongPtrW(hwnd, 0));
    switch (msg) {
    case WM_NCCREATE:
        ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(new Magnifier));
        break;
    case WM_CREATE: return OnCreate(hwnd, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_SIZE: {
        const SIZE host = ClientSize(::GetParent(hwnd));
        Log("size window=0x%llx size=%dx%d host=%ldx%ld", Handle(hwnd), LOWORD(lParam),
            HIWORD(lParam), host.cx, host.cy);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        if (m != nullptr) {
            Paint(hwnd, *m);
            return 0;
        }
        break;
    case WM_DESTROY: Log("destroy window=0x%llx", Handle(hwnd)); return 0;
    case WM_NCDESTROY:
        delete m;
        ::SetWindowLongPtrW(hwnd, 0, 0);
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Classes of this process's windows, top-level ones and their children.
std::string WindowsOfProcess() {
    struct Found {
        std::string classes;
        static void Add(HWND hwnd, Found& found) {
            wchar_t name[128] = {};
            ::GetClassNameW(hwnd, name, 128);
            found.classes += (found.classes.empty() ? "" : "|") + Utf8(name);
        }
        static BOOL CALLBACK Child(HWND hwnd, LPARAM param) {
            Add(hwnd, *reinterpret_cast<Found*>(param));
            return TRUE;
        }
        static BOOL CALLBACK TopLevel(HWND hwnd, LPARAM param) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            if (pid == ::GetCurrentProcessId()) {
                Add(hwnd, *reinterpret_cast<Found*>(param));
                ::EnumChildWindows(hwnd, &Child, param);
            }
            return TRUE;
        }
    } found;
    ::EnumWindows(&Found::TopLevel, reinterpret_cast<LPARAM>(&found));
    return found.classes;
}

BOOL Result(const char* name, HWND hwnd, BOOL result) {
    Log("%s window=0x%llx result=%d", name, Handle(hwnd), result);
    return result;
}

} // namespace

extern "C" {

BOOL WINAPI MagInitialize() {
    const std::wstring mode = Environment(L"MAGNIFICATION_STANDIN_INITIALIZE");
    const std::string windows = WindowsOfProcess();
    BOOL result = FALSE;
    bool registered = false;
    if (mode != L"fail") {
        result = TRUE;
        if (mode != L"no-class") {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            // Global: the program creates its magnifier with its own instance.
            wc.style = CS_GLOBALCLASS;
            wc.lpfnWndProc = &MagnifierProc;
            wc.cbWndExtra = sizeof(Magnifier*);
            wc.hInstance = g_module;
            wc.lpszClassName = kClassName;
            registered =
                ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
            result = registered;
        }
    }
    Log("MagInitialize windows=%s registered=%d result=%d", windows.empty() ? "-" : windows.c_str(),
        registered, result);
    return result;
}

BOOL WINAPI MagUninitialize() {
    const BOOL unregistered = ::UnregisterClassW(kClassName, g_module);
    Log("MagUninitialize unregistered=%d result=1", unregistered);
    return TRUE;
}

BOOL WINAPI MagSetWindowSource(HWND hwnd, RECT rect) {
    Magnifier* m = MagnifierOf(hwnd);
    bool captured = false;
    if (m != nullptr) {
        m->source = rect;
        captured = CaptureUnlessCovered(hwnd, *m);
    }
    Log("MagSetWindowSource window=0x%llx rect=%ld,%ld,%ld,%ld captured=%d result=%d", Handle(hwnd),
        rect.left, rect.top, rect.right, rect.bottom, captured, m != nullptr);
    return m != nullptr;
}

BOOL WINAPI MagGetWindowSource(HWND hwnd, RECT* rect) {
    Magnifier* m = MagnifierOf(hwnd);
    if (m != nullptr && rect != nullptr) {
        *rect = m->source;
    }
    return Result("MagGetWindowSource", hwnd, m != nullptr && rect != nullptr);
}

BOOL WINAPI MagSetWindowTransform(HWND hwnd, MAGTRANSFORM* transform) {
    Magnifier* m = MagnifierOf(hwnd);
    const BOOL result = m != nullptr && transform != nullptr;
    if (result) {
        m->transform = *transform;
    }
    Log("MagSetWindowTransform window=0x%llx matrix=%s result=%d", Handle(hwnd),
        transform ? Floats(&transform->v[0][0], 9).c_str() : "none", result);
    return result;
}

BOOL WINAPI MagGetWindowTransform(HWND hwnd, MAGTRANSFORM* transform) {
    Magnifier* m = MagnifierOf(hwnd);
    if (m != nullptr && transform != nullptr) {
        *transform = m->transform;
    }
    return Result("MagGetWindowTransform", hwnd, m != nullptr && transform != nullptr);
}

BOOL WINAPI MagSetWindowFilterList(HWND hwnd, DWORD mode, int count, HWND* windows) {
    Magnifier* m = MagnifierOf(hwnd);
    const BOOL result = m != nullptr && count >= 0 && (count == 0 || windows != nullptr);
    if (result) {
        m->filterMode = mode;
        m->filter.assign(windows, windows + count);
    }
    Log("MagSetWindowFilterList window=0x%llx mode=%lu count=%d result=%d", Handle(hwnd),
        static_cast<unsigned long>(mode), count, result);
    return result;
}

int WINAPI MagGetWindowFilterList(HWND hwnd, DWORD* mode, int count, HWND* windows) {
    Magnifier* m = MagnifierOf(hwnd);
    int total = m != nullptr ? static_cast<int>(m->filter.size()) : -1;
    if (m != nullptr) {
        if (mode != nullptr) {
            *mode = m->filterMode;
        }
        for (int i = 0; windows != nullptr && i < count && i < total; ++i) {
            windows[i] = m->filter[i];
        }
    }
    Log("MagGetWindowFilterList window=0x%llx result=%d", Handle(hwnd), total);
    return total;
}

BOOL WINAPI MagSetImageScalingCallback(HWND hwnd, MagImageScalingCallback callback) {
    Magnifier* m = MagnifierOf(hwnd);
    if (m != nullptr) {
        m->callback = callback;
    }
    return Result("MagSetImageScalingCallback", hwnd, m != nullptr);
}

MagImageScalingCallback WINAPI MagGetImageScalingCallback(HWND hwnd) {
    Magnifier* m = MagnifierOf(hwnd);
    Result("MagGetImageScalingCallback", hwnd, m != nullptr);
    return m != nullptr ? m->callback : nullptr;
}

BOOL WINAPI MagSetColorEffect(HWND hwnd, MAGCOLOREFFECT* effect) {
    Magnifier* m = MagnifierOf(hwnd);
    if (m != nullptr) {
        m->hasEffect = effect != nullptr;
        if (effect != nullptr) {
            m->effect = *effect;
        }
    }
    Log("MagSetColorEffect window=0x%llx matrix=%s result=%d", Handle(hwnd),
        effect ? Floats(&effect->transform[0][0], 25).c_str() : "none", m != nullptr);
    return m != nullptr;
}

BOOL WINAPI MagGetColorEffect(HWND hwnd, MAGCOLOREFFECT* effect) {
    Magnifier* m = MagnifierOf(hwnd);
    const BOOL result = m != nullptr && effect != nullptr;
    if (result) {
        // No effect reads as the identity matrix.
        *effect = MAGCOLOREFFECT{};
        for (int i = 0; i < 5; ++i) {
            effect->transform[i][i] = 1.0f;
        }
        if (m->hasEffect) {
            *effect = m->effect;
        }
    }
    return Result("MagGetColorEffect", hwnd, result);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
        wchar_t path[MAX_PATH] = {};
        DWORD n = ::GetModuleFileNameW(instance, path, MAX_PATH);
        Log("attach module=%s", Utf8(std::wstring(path, n)).c_str());
        break;
    }
    case DLL_PROCESS_DETACH:
        // reserved is null when the library is freed, not when the process ends.
        Log("detach freed=%d", reserved == nullptr);
        break;
    }
    return TRUE;
}

} // extern "C"
