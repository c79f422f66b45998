// Window base class: one C++ object per window, whose messages all go to
// WindowProc. One binding path for each kind of window:
//  (a) windows of our own class (CreateEx): the object comes with the
//      creation parameters and is bound at WM_NCCREATE;
//  (b) windows the system creates for us (dialogs, property sheets and their
//      pages): SubclassNextWindow is armed right before the system creates
//      the window (by DoModal; for a page, by the sheet's PSPCB_CREATE
//      callback), and a thread CBT hook subclasses the window as it is
//      created, before WM_NCCREATE;
//  (c) controls made by a dialog's template: subclassed once the dialog
//      exists (DDX_Control).
// The object is unbound at WM_NCDESTROY. Its owner destroys the window before
// the object ends; a window that outlives its object all the same is only
// unbound by ~CWnd, never destroyed there.
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

    // Creates the window, path (a). rect is in screen coordinates for pop-ups.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    BOOL DestroyWindow();

    // The object bound to hwnd when hwnd is a window of ours, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Default processing: the window class's own procedure.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Binds an existing window to this object and routes its messages through
    // WindowProc; the previous procedure becomes the default processing.
    void SubclassWindow(HWND hwnd);

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

    // Path (b): binds the next window this thread creates to wnd, once.
    // Cancel after the system call, which may have failed before creating it.
    static void SubclassNextWindow(CWnd* wnd);
    static void CancelSubclassNextWindow();
    // The dialog procedure of dialogs and pages bound by path (b): their
    // messages reach WindowProc first, so it leaves everything to the dialog
    // manager's default processing.
    static INT_PTR CALLBACK DefaultDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Dispatch: one case per message the program handles, each calling a
    // named handler. Everything else goes to DefWindowProc.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being dispatched.
    LRESULT Default();

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

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassCbtProc(int code, WPARAM wParam, LPARAM lParam);

    void Bind(HWND hwnd);
    // Cuts the window off from this object: no message reaches it afterwards.
    void Unbind();
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    } m_current{};
};

} // namespace fw
