#include "fw/Dialog.h"

#include "fw/WinApp.h"

namespace fw {

namespace {
// The window creation that BindNextWindow waits for, on this thread only.
struct PendingBind {
    CWnd* wnd = nullptr;
    HHOOK hook = nullptr;
};
thread_local PendingBind t_pending;
} // namespace

// The CBT hook is called for a window before it gets WM_NCCREATE; subclassing
// it there lets our WindowProc see the whole life of the dialog window.
LRESULT CALLBACK CDialog::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = t_pending.hook;
    if (code == HCBT_CREATEWND && t_pending.wnd != nullptr) {
        CWnd* wnd = t_pending.wnd;
        UnbindPending();
        wnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

void CDialog::BindNextWindow(CWnd* dialog) {
    UnbindPending();
    t_pending.wnd = dialog;
    t_pending.hook = ::SetWindowsHookExW(WH_CBT, &CDialog::CbtProc, nullptr,
                                         ::GetCurrentThreadId());
}

void CDialog::UnbindPending() {
    if (t_pending.hook != nullptr) {
        ::UnhookWindowsHookEx(t_pending.hook);
    }
    t_pending = PendingBind{};
}

INT_PTR CDialog::DoModal() {
    BindNextWindow(this);
    HWND parent = m_pParent != nullptr ? m_pParent->m_hWnd : nullptr;
    INT_PTR result = ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId),
                                       parent, &CDialog::DialogProc, 0);
    // A template that failed to load created no window.
    UnbindPending();
    return result;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

BOOL CDialog::OnCommand(UINT id, UINT) {
    switch (id) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    }
    return FALSE;
}

} // namespace fw
