#include "fw/Wnd.h"

#include "fw/Handles.h"
#include "fw/WinApp.h"

#include <utility>

namespace fw {

namespace {
const wchar_t kDefaultClass[] = L"LoupaWnd";

// The window creation that SubclassNextWindow waits for, on this thread only.
struct PendingSubclass {
    CWnd* wnd = nullptr;
    HookOwner hook;
};
thread_local PendingSubclass t_pending;
} // namespace

// The CBT hook sees a new window before its WM_NCCREATE; subclassing it there
// lets WindowProc see the whole life of a window the system created.
LRESULT CALLBACK CWnd::SubclassCbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_pending.wnd != nullptr) {
        CWnd* wnd = std::exchange(t_pending.wnd, nullptr);
        t_pending.hook.Reset();
        wnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    // The hook handle argument is ignored by the system.
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CWnd::SubclassNextWindow(CWnd* wnd) {
    CancelSubclassNextWindow();
    t_pending.wnd = wnd;
    t_pending.hook.Reset(
        ::SetWindowsHookExW(WH_CBT, &CWnd::SubclassCbtProc, nullptr, ::GetCurrentThreadId()));
}

void CWnd::CancelSubclassNextWindow() {
    t_pending.wnd = nullptr;
    t_pending.hook.Reset();
}

INT_PTR CALLBACK CWnd::DefaultDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

CWnd::~CWnd() {
    // The owner destroys the window before this; should the window outlive
    // the object all the same, its messages must not reach freed memory.
    if (m_hWnd != nullptr) {
        Unbind();
    }
}

LPCWSTR CWnd::DefaultClassName() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &CWnd::StaticWndProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kDefaultClass;
        registered = ::RegisterClassExW(&wc) != 0;
    }
    return kDefaultClass;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    CREATESTRUCTW cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent != nullptr ? parent->m_hWnd : nullptr;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = this;
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }
    if (cs.lpszClass == nullptr) {
        cs.lpszClass = DefaultClassName();
    }
    HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this);
    return hwnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    // Only a window whose messages go through StaticWndProc has an object of
    // ours in its user data; any other window may keep anything there.
    if (hwnd == nullptr || ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) !=
                               reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)) {
        return nullptr;
    }
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&) {
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) {
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    }
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam);
}

void CWnd::Bind(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::Unbind() {
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    m_hWnd = nullptr;
}

void CWnd::SubclassWindow(HWND hwnd) {
    Bind(hwnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A window whose messages come here is ours: its user data is trusted.
    auto* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (wnd == nullptr && msg == WM_NCCREATE) {
        wnd = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (wnd != nullptr) {
            wnd->Bind(hwnd);
        }
    }
    if (wnd == nullptr) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    LRESULT result = wnd->Dispatch(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        wnd->Unbind();
    }
    return result;
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Kept per call: a handler may send messages to its own window.
    CurrentMessage saved = m_current;
    m_current = {msg, wParam, lParam};
    LRESULT result = WindowProc(msg, wParam, lParam);
    m_current = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_HOTKEY: OnHotKey(UINT(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? 0 : Default();
    case WM_SYSCOMMAND: OnSysCommand(UINT(wParam), lParam); return 0;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); return 0;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    case WM_SETFOCUS: OnSetFocus(reinterpret_cast<HWND>(wParam)); return 0;
    case WM_KILLFOCUS: OnKillFocus(reinterpret_cast<HWND>(wParam)); return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return DefWindowProc(msg, wParam, lParam);
}

int CWnd::OnCreate(LPCREATESTRUCTW) {
    return int(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnHotKey(UINT, UINT, UINT) {
    Default();
}
BOOL CWnd::OnCommand(UINT, UINT) {
    return FALSE;
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnWindowPosChanging(WINDOWPOS*) {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
void CWnd::OnSetFocus(HWND) {
    Default();
}
void CWnd::OnKillFocus(HWND) {
    Default();
}
void CWnd::OnHScroll(UINT, UINT, HWND) {
    Default();
}

} // namespace fw
