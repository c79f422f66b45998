// Window base class: one C++ object per window, bound at WM_NCCREATE (or,
// for dialogs, when the dialog manager creates the window) and unbound at
// WM_NCDESTROY.
#pragma once

#include <windows.h>

namespace fw {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Creates the window. rect is in screen coordinates for pop-ups.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    BOOL DestroyWindow();

    // The object bound to a window of ours, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Default processing: the window class's own procedure.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Binds an existing window to this object and routes its messages through
    // WindowProc; the previous procedure becomes the default processing.
    void SubclassWindow(HWND hwnd);

    // Subclasses the next window this thread creates, once, before it gets
    // WM_NCCREATE. For windows that the system creates for us: dialogs and
    // property sheets.
    static void SubclassNextWindow(CWnd* wnd);
    static void CancelSubclassNextWindow();

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }

protected:
    // Name of the class registered by the framework for plain windows: no
    // background brush, arrow cursor, double clicks.
    static LPCWSTR DefaultClassName();

    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Dispatch: one case per message the program handles, each calling a
    // named handler. Everything else goes to DefWindowProc.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being dispatched.
    LRESULT Default();
    // Called after the window is gone and the object unbound.
    virtual void PostNcDestroy() {}

    virtual int OnCreate(LPCREATESTRUCTW cs);
    virtual void OnDestroy();
    virtual void OnPaint();
    virtual void OnHotKey(UINT id, UINT modifiers, UINT vk);
    virtual BOOL OnCommand(UINT id, UINT code);
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual void OnWindowPosChanging(WINDOWPOS* pos);
    virtual HCURSOR OnQueryDragIcon();
    virtual void OnSetFocus(HWND oldFocus);
    virtual void OnKillFocus(HWND newFocus);
    virtual void OnHScroll(UINT code, UINT pos, HWND scrollBar);

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassCbtProc(int code, WPARAM wParam, LPARAM lParam);

private:
    void Bind(HWND hwnd);

protected:
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    WNDPROC m_pfnSuper = nullptr;
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    } m_current{};
};

} // namespace fw
