// Looks at other programs' windows from outside, for the end-to-end tests:
// what a user could read off the screen, without test hooks in the product.
//
//   LoupaProbe.exe <out> windows <title>
//       top-level windows with that title, each with its focus and controls
//       (id, class, visibility, client rectangle on the screen, slider
//       position, check state, text with \\, \n and \r escaped)
//   LoupaProbe.exe <out> tooltips
//       the text of each visible tool tip (balloons too), one a line, escaped
//       as above
//   LoupaProbe.exe <out> keynames <vk>...
//       the keyboard layout's name of each virtual key
//   LoupaProbe.exe <out> cover <x> <y> <w> <h> <ms> [<class>]
//       shows a magenta top-most window there without activating it, for ms
//       or until a visible window of that class is above it; writes "shown"
//       as soon as it is up, then at the end a line for each visible window
//       above it (its class and title)
//   LoupaProbe.exe <out> locale
//       the UI language (hex) and the ANSI code page this run has
//   LoupaProbe.exe <out> syscommand <hwnd> <command>
//       posts WM_SYSCOMMAND with the command to the window, as a click on
//       its system menu's item would
//   LoupaProbe.exe <out.bmp> render <w> <h> <face|menu> <font height> <charset>
//                  <weight> <pitch and family> <text rrggbb> <back rrggbb>
//                  <DrawText format> <text>
//       text drawn as a window would draw it, as a reference picture
//
//   LoupaProbe.exe <out> taskbarcreated <times> [forget]
//       broadcasts "TaskbarCreated" as a shell that rebuilds the taskbar;
//       forget: after removing Loupa's icon, as a restarted shell lost it
//
// Text arguments may hold \n and \uXXXX escapes (the command line is not
// trusted with non-ASCII text). Text output is UTF-8.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring Unescape(const wchar_t* s) {
    std::wstring out;
    for (; *s != 0; ++s) {
        if (s[0] == L'\\' && s[1] == L'n') {
            out += L'\n';
            ++s;
        } else if (s[0] == L'\\' && s[1] == L'u' && std::wcslen(s) >= 6) {
            out += static_cast<wchar_t>(std::wcstoul(std::wstring(s + 2, 4).c_str(), nullptr, 16));
            s += 5;
        } else {
            out += *s;
        }
    }
    return out;
}

void Put(FILE* out, const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    std::fputs(utf8.c_str(), out);
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    // GetWindowText has no typed text of another process's edit control.
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 1000, nullptr)) {
        GetWindowTextW(hwnd, buffer, 512);
    }
    return buffer;
}

// A control's text on one line of the output: backslash, line feed and
// carriage return as \\, \n and \r.
std::wstring OneLine(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': out += L"\\\\"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::wstring ClientOnScreen(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    wchar_t text[80];
    std::swprintf(text, 80, L"%ld\t%ld\t%ld\t%ld", r.left, r.top, r.right, r.bottom);
    return text;
}

struct WindowsQuery {
    FILE* out;
    std::wstring title;
};

BOOL CALLBACK PutControl(HWND hwnd, LPARAM lParam) {
    FILE* out = reinterpret_cast<FILE*>(lParam);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    std::wstring pos, check;
    if (lstrcmpiW(cls, TRACKBAR_CLASSW) == 0) {
        pos = std::to_wstring(SendMessageW(hwnd, TBM_GETPOS, 0, 0));
    } else if (lstrcmpiW(cls, L"Button") == 0) {
        check = std::to_wstring(SendMessageW(hwnd, BM_GETCHECK, 0, 0));
    }
    wchar_t head[160];
    std::swprintf(head, 160, L"CONTROL\t%llu\t%d\t%ls\t%d\t",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)),
                  GetDlgCtrlID(hwnd), cls, IsWindowVisible(hwnd) ? 1 : 0);
    Put(out, head + ClientOnScreen(hwnd) + L"\t" + pos + L"\t" + check + L"\t" +
                 OneLine(TextOf(hwnd)) + L"\n");
    return TRUE;
}

BOOL CALLBACK PutWindow(HWND hwnd, LPARAM lParam) {
    auto* query = reinterpret_cast<WindowsQuery*>(lParam);
    if (TextOf(hwnd) != query->title) {
        return TRUE;
    }
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(hwnd, &pid);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(thread, &gui);
    wchar_t head[160];
    std::swprintf(head, 160, L"WINDOW\t%llu\t%lu\t%d\t%llu\t",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), pid,
                  IsWindowVisible(hwnd) ? 1 : 0,
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(gui.hwndFocus)));
    Put(query->out, head + ClientOnScreen(hwnd) + L"\n");
    EnumChildWindows(hwnd, PutControl, reinterpret_cast<LPARAM>(query->out));
    return TRUE;
}

// A tool tip answers WM_GETTEXT, which the system carries across processes.
BOOL CALLBACK PutTooltip(HWND hwnd, LPARAM lParam) {
    wchar_t cls[64] = {}, text[1024] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(hwnd)) {
        SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, LPARAM(text), SMTO_ABORTIFHUNG, 5000, nullptr);
        Put(reinterpret_cast<FILE*>(lParam), OneLine(text) + L"\n");
    }
    return TRUE;
}

// An output file that could not be written: said in the log, for the
// harness reports only the exit code.
bool FileFailed(const char* step, const wchar_t* path) {
    std::fprintf(stderr, "LoupaProbe: %s %ls failed: errno %d, error %lu\n", step, path, errno,
                 GetLastError());
    return false;
}

bool SaveBitmap(const wchar_t* path, HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> bits(stride * height);
    GetDIBits(dc, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(bits.size());
    FILE* out = _wfopen(path, L"wb");
    if (out == nullptr) {
        return FileFailed("open", path);
    }
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
    std::fwrite(bits.data(), 1, bits.size(), out);
    return std::fclose(out) == 0 || FileFailed("close", path);
}

COLORREF Colour(const wchar_t* rrggbb) {
    unsigned long v = std::wcstoul(rrggbb, nullptr, 16);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Render(const wchar_t* path, wchar_t** args) {
    const int width = _wtoi(args[0]);
    const int height = _wtoi(args[1]);
    LOGFONTW font{};
    if (lstrcmpW(args[2], L"menu") == 0) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        font = metrics.lfMenuFont;
    } else {
        font.lfHeight = _wtoi(args[3]);
        font.lfCharSet = static_cast<BYTE>(_wtoi(args[4]));
        font.lfWeight = _wtoi(args[5]);
        font.lfPitchAndFamily = static_cast<BYTE>(_wtoi(args[6]));
        lstrcpynW(font.lfFaceName, Unescape(args[2]).c_str(), LF_FACESIZE);
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH back = CreateSolidBrush(Colour(args[8]));
    RECT rect{0, 0, width, height};
    FillRect(dc, &rect, back);
    HFONT hfont = CreateFontIndirectW(&font);
    HGDIOBJ oldFont = SelectObject(dc, hfont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(args[7]));
    std::wstring text = Unescape(args[10]);
    DrawTextW(dc, text.c_str(), -1, &rect, static_cast<UINT>(std::wcstoul(args[9], nullptr, 0)));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    bool saved = SaveBitmap(path, dc, bitmap, width, height);
    DeleteObject(hfont);
    DeleteObject(back);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return saved ? 0 : 1;
}

// Class and title of each visible window above hwnd.
std::vector<std::pair<std::wstring, std::wstring>> VisibleAbove(HWND hwnd) {
    std::vector<std::pair<std::wstring, std::wstring>> windows;
    for (HWND above = GetWindow(hwnd, GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        if (IsWindowVisible(above)) {
            wchar_t cls[64] = {};
            GetClassNameW(above, cls, 64);
            windows.emplace_back(cls, TextOf(above));
        }
    }
    return windows;
}

// Another program's top-most window coming up over whatever is on top.
int Cover(FILE* out, wchar_t** args, const std::wstring& awaited) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    wc.lpszClassName = L"LoupaProbeCover";
    RegisterClassW(&wc);
    HWND hwnd =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName,
                        L"LoupaProbe cover", WS_POPUP, _wtoi(args[0]), _wtoi(args[1]),
                        _wtoi(args[2]), _wtoi(args[3]), nullptr, nullptr, wc.hInstance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(hwnd);
    Put(out, L"shown\n");
    std::fflush(out);
    const DWORD end = GetTickCount() + static_cast<DWORD>(_wtoi(args[4]));
    std::vector<std::pair<std::wstring, std::wstring>> above;
    for (DWORD now = GetTickCount(); static_cast<LONG>(end - now) > 0; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(end - now, 50), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        if (!awaited.empty()) {
            above = VisibleAbove(hwnd);
            if (std::any_of(above.begin(), above.end(),
                            [&](const auto& window) { return window.first == awaited; })) {
                break;
            }
        }
    }
    for (const auto& [cls, title] : VisibleAbove(hwnd)) {
        Put(out, L"above\t" + cls + L"\t" + title + L"\n");
    }
    DestroyWindow(hwnd);
    return 0;
}

void BroadcastTaskbarCreated(int times, bool forget) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    while (forget && (nid.hWnd = FindWindowExW(nullptr, nid.hWnd, L"#32770", L"Loupa"))) {
        Shell_NotifyIconW(NIM_DELETE, &nid);
    }
    for (int i = 0; i < times; ++i) {
        SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        return 2;
    }
    const std::wstring command = argv[2];
    if (command == L"render") {
        return argc == 14 ? Render(argv[1], argv + 3) : 2;
    }
    FILE* out = _wfopen(argv[1], L"wb");
    if (out == nullptr) {
        FileFailed("open", argv[1]);
        return 1;
    }
    if (command == L"windows" && argc == 4) {
        WindowsQuery query{out, Unescape(argv[3])};
        EnumWindows(PutWindow, reinterpret_cast<LPARAM>(&query));
    } else if (command == L"cover" && (argc == 8 || argc == 9)) {
        const int code = Cover(out, argv + 3, argc == 9 ? argv[8] : L"");
        return std::fclose(out) == 0 ? code : 1;
    } else if (command == L"taskbarcreated" && (argc == 4 || argc == 5)) {
        BroadcastTaskbarCreated(_wtoi(argv[3]), argc == 5 && std::wcscmp(argv[4], L"forget") == 0);
    } else if (command == L"tooltips" && argc == 3) {
        EnumWindows(PutTooltip, reinterpret_cast<LPARAM>(out));
    } else if (command == L"keynames") {
        for (int i = 3; i < argc; ++i) {
            const UINT vk = static_cast<UINT>(_wtoi(argv[i]));
            const LONG scan = static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
            wchar_t name[128] = {};
            GetKeyNameTextW((scan & 0xFF) << 16, name, 128);
            Put(out, std::to_wstring(vk) + L"\t" + name + L"\n");
        }
    } else if (command == L"syscommand" && argc == 5) {
        const HWND window = reinterpret_cast<HWND>(std::wcstoull(argv[3], nullptr, 10));
        if (!PostMessageW(window, WM_SYSCOMMAND, std::wcstoul(argv[4], nullptr, 10), 0)) {
            std::fclose(out);
            return 1;
        }
    } else if (command == L"locale") {
        wchar_t text[40] = {};
        std::swprintf(text, 40, L"%04x\t%u\n", GetUserDefaultUILanguage(), GetACP());
        Put(out, text);
    } else {
        std::fclose(out);
        return 2;
    }
    return std::fclose(out) == 0 || FileFailed("close", argv[1]) ? 0 : 1;
}
