#include "zoom/ZoomWnd.h"

#include "fw/Dc.h"
#include "fw/Dpi.h"
#include "fw/Handles.h"
#include "fw/SystemLibrary.h"
#include "fw/WinApp.h"
#include "zoom/TextCaret.h"

#include "resource.h"

#include <mmsystem.h>

#include <cwchar>

namespace {
// The multimedia timer of winmm.dll, bound at run time: winmm is not one of
// the system's known DLLs, so in the import table a copy planted beside
// Loupa.exe would be loaded before any of our code runs.
struct MultimediaTimerApi {
    using SetEventProc = MMRESULT(WINAPI*)(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT);
    using KillEventProc = MMRESULT(WINAPI*)(UINT);

    MultimediaTimerApi()
        : module(fw::LoadSystemLibrary(L"winmm.dll")),
          setEvent(fw::ProcAddress<SetEventProc>(module.Get(), "timeSetEvent")),
          killEvent(fw::ProcAddress<KillEventProc>(module.Get(), "timeKillEvent")) {}

    fw::ModuleOwner module;
    SetEventProc setEvent;
    KillEventProc killEvent;
};

// Loaded at the first zoom and kept to the end of the run.
const MultimediaTimerApi& MultimediaTimer() {
    static const MultimediaTimerApi api;
    return api;
}

// The 50 ms tick needs no finer timer than this; a resolution of 0 would keep
// the whole system's timer at 1 ms for as long as a zoom shows.
constexpr UINT kTimerResolutionMs = 10;

// The caption's font height at 96 DPI; it grows with the DPI of the monitor
// the window is on, like every other text there.
constexpr int kCaptionHeight = 35;

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}
MAGTRANSFORM ScaleMatrix(double rate) {
    MAGTRANSFORM m{};
    m.v[0][0] = static_cast<float>(rate);
    m.v[1][1] = static_cast<float>(rate);
    m.v[2][2] = 1.0f;
    return m;
}
// A pixel's (r, g, b, a, 1), channels from 0 to 1, times the matrix gives
// its new colour. Inverted, each channel c becomes 1 - c; alpha stays.
MAGCOLOREFFECT ColorEffect(bool invert) {
    const float c = invert ? -1.0f : 1.0f;
    const float shift = invert ? 1.0f : 0.0f;
    MAGCOLOREFFECT e{};
    e.transform[0][0] = e.transform[1][1] = e.transform[2][2] = c;
    e.transform[3][3] = e.transform[4][4] = 1.0f;
    e.transform[4][0] = e.transform[4][1] = e.transform[4][2] = shift;
    return e;
}
} // namespace

CZoomWnd::CZoomWnd(ISettings& settings, IZoomInput& input, bool useMagnifier)
    : m_input(input), m_zoom(*this, settings), m_useMagnifier(useMagnifier),
      m_liveCapture(CopiesScreenLive(g_osMajorVersion, false)),
      m_captionFormat(fw::AfxLoadString(IDS_ZOOM_CAPTION)) {
    m_zoom.UpdateMonitorRect();
    if (m_useMagnifier) {
        m_magTransform = ScaleMatrix(1.0);
    }
}

CZoomWnd::~CZoomWnd() {
    // The window normally goes with the main dialog; make sure no timer tick
    // can reach this object after it is gone.
    DestroyWindow();
}

BOOL CZoomWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style = WS_POPUP | WS_CHILD | WS_CLIPSIBLINGS;
    // Never activatable: a window manager that focuses every new window
    // would otherwise take the keyboard from the program the user types into.
    cs.dwExStyle =
        WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    return TRUE;
}

int CZoomWnd::OnCreate(LPCREATESTRUCTW cs) {
    if (Default() == -1) {
        return -1;
    }
    ::SetLayeredWindowAttributes(m_hWnd, 0, 255, LWA_ALPHA);
    // Zoom must work everywhere: without the magnifier child the window
    // copies the screen instead of refusing to exist.
    if (m_useMagnifier && !CreateMagnifierChild(cs->cx, cs->cy)) {
        m_useMagnifier = false;
    }
    if (!m_useMagnifier) {
        m_liveCapture = CopiesScreenLive(g_osMajorVersion, ExcludeFromCapture());
    }
    m_input.InstallHooks(m_hWnd);
    // Hidden: the cancel key comes with the first zoom shown.
    m_hotKeysRefusedAtCreation = m_input.RegisterHotKeys(m_hWnd, false);
    return 0;
}

void CZoomWnd::OnDestroy() {
    Default();
    m_zoom.OnDestroy();
    m_input.RemoveHooks();
    m_input.UnregisterHotKeys(m_hWnd);
}

bool CZoomWnd::ExcludeFromCapture() {
    using SetWindowDisplayAffinityProc = BOOL(WINAPI*)(HWND, DWORD);
    constexpr DWORD kExcludeFromCapture = 0x11; // WDA_EXCLUDEFROMCAPTURE
    const OSVERSIONINFOW version = fw::OsVersion();
    if (!SystemExcludesFromCapture(version.dwMajorVersion, version.dwBuildNumber)) {
        return false;
    }
    // Bound at run time: user32 before Windows 7 lacks it.
    const auto setAffinity = fw::ProcAddress<SetWindowDisplayAffinityProc>(
        ::GetModuleHandleW(L"user32.dll"), "SetWindowDisplayAffinity");
    return setAffinity != nullptr && setAffinity(m_hWnd, kExcludeFromCapture) != FALSE;
}

bool CZoomWnd::CreateMagnifierChild(int cx, int cy) {
    m_hwndMagnifier =
        ::CreateWindowExW(0, L"Magnifier", L"MagnifierWindow", WS_CHILD | WS_VISIBLE, 0, 0, cx, cy,
                          m_hWnd, nullptr, fw::AfxGetInstanceHandle(), nullptr);
    return m_hwndMagnifier != nullptr;
}

LRESULT CZoomWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DISPLAYCHANGE: OnDisplayChange(); return Default();
    case WM_DPICHANGED: return OnDpiChanged();
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

LRESULT CZoomWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER: m_zoom.OnTimer(wParam); break;
    case WM_ZOOMWHEEL: OnZoomWheel(wParam); break;
    }
    return CWnd::DefWindowProc(msg, wParam, lParam);
}

void CZoomWnd::OnZoomWheel(WPARAM forward) {
    m_input.WheelStepTaken();
    m_zoom.OnZoomWheel(forward);
}

void CZoomWnd::OnDisplayChange() {
    m_zoom.OnDisplayChange();
}

LRESULT CZoomWnd::OnDpiChanged() {
    // The window keeps covering its monitor pixel for pixel: the rectangle
    // the system suggests for the new DPI is not taken. Only the caption's
    // size follows.
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

void CZoomWnd::OnHotKey(UINT id, UINT, UINT) {
    m_zoom.OnHotKey(id);
}

std::vector<int> CZoomWnd::RegisterHotKeysAnew() {
    m_input.UnregisterHotKeys(m_hWnd);
    return m_input.RegisterHotKeys(m_hWnd, m_zoom.HoldsCancelHotKey());
}

void CALLBACK CZoomWnd::ZoomTimerProc(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    // On the multimedia timer's thread, which may call only a few functions:
    // the tick is posted to the window's thread, where all state lives. The
    // timer is killed synchronously before this object or its window goes,
    // so what is read here is valid while the callback runs.
    auto* wnd = reinterpret_cast<CZoomWnd*>(user);
    if (wnd->m_zoom.Ticks().Claim(id) &&
        !::PostMessageW(wnd->m_tickTarget, WM_TIMER, ZoomController::kTimerId, 0)) {
        wnd->m_zoom.Ticks().Release();
    }
}

void CZoomWnd::OnPaint() {
    fw::CPaintDC dc(m_hWnd);
    if (!m_useMagnifier) {
        PaintScreenCopy(dc.m_hDC);
    }
}

void CZoomWnd::PaintScreenCopy(HDC dc) {
    const RECT& monitor = m_zoom.MonitorRect();
    RECT source = m_zoom.SourceRect();
    if (m_liveCapture) {
        ::OffsetRect(&source, monitor.left, monitor.top);
        fw::CClientDC screen(nullptr);
        // Inverted by the stretch itself; the caption, drawn after, keeps its
        // colour.
        ::StretchBlt(dc, 0, 0, Width(monitor), Height(monitor), screen.m_hDC, source.left,
                     source.top, Width(source), Height(source),
                     m_invertColors ? NOTSRCCOPY : SRCCOPY);
    } else if (m_bitmapDC.m_hDC != nullptr) {
        // The snapshot already holds the colours shown.
        ::StretchBlt(dc, 0, 0, Width(monitor), Height(monitor), m_bitmapDC.m_hDC, source.left,
                     source.top, Width(source), Height(source), SRCCOPY);
    }
    DrawCaption(dc);
}

void CZoomWnd::DrawCaption(HDC dc) {
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    // Made again only when the DPI changes the height: a font made at every
    // paint cost a good part of a moving frame.
    const int height = fw::ScaleForDpi(kCaptionHeight, fw::DpiForWindow(m_hWnd));
    if (!m_captionFont || height != m_captionFontHeight) {
        m_captionFont.Reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                          ANSI_CHARSET, 0, 0, 0, FF_SWISS, L"MS Pゴシック"));
        m_captionFontHeight = height;
    }
    COLORREF oldColor;
    {
        fw::SelectedObject selected(dc, m_captionFont.Get());
        oldColor = ::SetTextColor(dc, RGB(0, 255, 0));
        wchar_t caption[64];
        std::swprintf(caption, 64, m_captionFormat.c_str(), m_zoom.Rate());
        RECT client;
        GetClientRect(&client);
        ::DrawTextW(dc, caption, -1, &client, DT_RIGHT);
    }
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

bool CZoomWnd::CursorPos(POINT& pt) {
    return ::GetCursorPos(&pt) != FALSE;
}

RECT CZoomWnd::MonitorRectAt(POINT pt) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

RECT CZoomWnd::ClientRect() {
    RECT rect{};
    GetClientRect(&rect);
    return rect;
}

POINT CZoomWnd::ScreenToClient(POINT pt) {
    ::ScreenToClient(m_hWnd, &pt);
    return pt;
}

bool CZoomWnd::IsVisible() {
    return IsWindowVisible() != FALSE;
}

void CZoomWnd::CaptureMonitor(const RECT& monitor) {
    if (m_useMagnifier || m_liveCapture) {
        return;
    }
    if (m_bitmapDC.m_width != Width(monitor) || m_bitmapDC.m_height != Height(monitor)) {
        m_bitmapDC.Create(Width(monitor), Height(monitor));
    }
    if (m_bitmapDC.m_hDC == nullptr) {
        return;
    }
    fw::CClientDC screen(nullptr);
    // Taken in the colours shown: inverting once here spares a pass over the
    // whole window at every paint, which under Wine costs half a stretch.
    ::BitBlt(m_bitmapDC.m_hDC, 0, 0, Width(monitor), Height(monitor), screen.m_hDC, monitor.left,
             monitor.top, m_invertColors ? NOTSRCCOPY : SRCCOPY);
}

void CZoomWnd::ShowWithoutActivating(const RECT& rect) {
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rect.left, rect.top, Width(rect), Height(rect),
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool CZoomWnd::IsPlacedTopMostAt(const RECT& rect) const {
    RECT current{};
    ::GetWindowRect(m_hWnd, &current);
    if (!::EqualRect(&current, &rect)) {
        return false;
    }
    for (HWND above = ::GetWindow(m_hWnd, GW_HWNDPREV); above != nullptr;
         above = ::GetWindow(above, GW_HWNDPREV)) {
        if (::IsWindowVisible(above)) {
            return false;
        }
    }
    return true;
}

void CZoomWnd::MoveTopMost(const RECT& rect) {
    // Every tick asks for the top of the z-order, but a window already there
    // is left alone: a top-most move restacks it in the window system each
    // time, and that was most of what a still zoom cost.
    if (IsPlacedTopMostAt(rect)) {
        return;
    }
    // Never activated: the program the user types into keeps the focus.
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rect.left, rect.top, Width(rect), Height(rect),
                   SWP_NOACTIVATE);
    if (m_hwndMagnifier != nullptr) {
        // On a monitor of another size the child must still fill the window.
        ::SetWindowPos(m_hwndMagnifier, nullptr, 0, 0, Width(rect), Height(rect),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
}

void CZoomWnd::Hide() {
    ShowWindow(SW_HIDE);
}

void CZoomWnd::SetCancelHotKey(bool registered) {
    // The cancel key is held exactly while a zoom shows.
    m_input.SetCancelHotKey(m_hWnd, registered);
    m_input.SetZoomShown(registered);
}

void CZoomWnd::Repaint(bool erase) {
    ::InvalidateRect(m_hWnd, nullptr, erase);
    ::UpdateWindow(m_hWnd);
}

void CZoomWnd::Pause(int ms) {
    ::Sleep(static_cast<DWORD>(ms));
}

ZoomTimer CZoomWnd::StartTimer(int periodMs) {
    m_tickTarget = m_hWnd;
    const MultimediaTimerApi& timer = MultimediaTimer();
    // Killed synchronously: once timeKillEvent returns no callback runs.
    const UINT id = timer.setEvent == nullptr || timer.killEvent == nullptr
                        ? 0
                        : timer.setEvent(static_cast<UINT>(periodMs), kTimerResolutionMs,
                                         &CZoomWnd::ZoomTimerProc, reinterpret_cast<DWORD_PTR>(this),
                                         TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    if (id != 0) {
        return {ZoomTimerKind::Multimedia, id};
    }
    // Without a multimedia timer the view would freeze and an animation never
    // end; a window timer drives the same tick.
    if (::SetTimer(m_hWnd, ZoomController::kTimerId, static_cast<UINT>(periodMs), nullptr) != 0) {
        return {ZoomTimerKind::Window, static_cast<std::uint32_t>(ZoomController::kTimerId)};
    }
    return {};
}

void CZoomWnd::StopTimer(const ZoomTimer& timer) {
    switch (timer.kind) {
    case ZoomTimerKind::Multimedia: MultimediaTimer().killEvent(timer.id); break;
    case ZoomTimerKind::Window: ::KillTimer(m_hWnd, timer.id); break;
    case ZoomTimerKind::None: break;
    }
}

void CZoomWnd::SetMagnifierScale(double rate) {
    if (!m_useMagnifier) {
        return;
    }
    m_magTransform = ScaleMatrix(rate);
    if (m_hwndMagnifier != nullptr && g_mag.MagSetWindowTransform != nullptr) {
        g_mag.MagSetWindowTransform(m_hwndMagnifier, &m_magTransform);
    }
}

void CZoomWnd::SetMagnifierSource(const RECT& source, const RECT& monitor) {
    if (!m_useMagnifier) {
        return;
    }
    RECT screen = source;
    ::OffsetRect(&screen, monitor.left, monitor.top);
    if (m_hwndMagnifier != nullptr && g_mag.MagSetWindowSource != nullptr) {
        g_mag.MagSetWindowSource(m_hwndMagnifier, screen);
    }
}

bool CZoomWnd::ShowsLiveScreen() {
    return m_useMagnifier || m_liveCapture;
}

std::optional<POINT> CZoomWnd::TextCaret() {
    // A program with a system caret places it where the typing goes; only
    // one without reports its own caret through accessibility.
    const SystemCaret system = ForegroundSystemCaret();
    if (system.exists) {
        return system.shown;
    }
    const auto accessible = m_reading.Caret();
    if (accessible && accessible->root == ::GetForegroundWindow()) {
        return accessible->middle;
    }
    return std::nullopt;
}

std::optional<FocusMark> CZoomWnd::KeyboardFocus() {
    return m_reading.Focus();
}

void CZoomWnd::WatchReading(bool carets, bool focus) {
    m_reading.Watch(carets, focus);
}

void CZoomWnd::SetColorInversion(bool invert) {
    if (invert != m_invertColors && m_bitmapDC.m_hDC != nullptr) {
        ::PatBlt(m_bitmapDC.m_hDC, 0, 0, m_bitmapDC.m_width, m_bitmapDC.m_height, DSTINVERT);
    }
    m_invertColors = invert;
    if (m_hwndMagnifier != nullptr && g_mag.MagSetColorEffect != nullptr) {
        MAGCOLOREFFECT effect = ColorEffect(invert);
        g_mag.MagSetColorEffect(m_hwndMagnifier, &effect);
    }
}
